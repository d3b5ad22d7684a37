#include "views/local/DriveCombo.h"

#include "platform/HandlerGuard.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHash>
#include <utility>

namespace {

// Mount points where the desktop puts removable media and network shares.
bool IsRemovable(const QString& root)
{
    return root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/"));
}

QIcon VolumeIcon(const QString& root)
{
    static const QFileIconProvider provider;
    const QIcon fallback = provider.icon(QAbstractFileIconProvider::Drive);
    return QIcon::fromTheme(
        IsRemovable(root) ? QStringLiteral("drive-removable-media") : QStringLiteral("drive-harddisk"),
        fallback);
}

}  // namespace

TDriveCombo::TDriveCombo(QWidget* parent) : QComboBox(parent), FVolumeSource(&TLocalVolumes::Mounted)
{
    setSizeAdjustPolicy(AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(6);
    connect(this, &QComboBox::activated, this,
            [this] { RunGuarded("Volume box", [this] { DriveChanged(); }); });
}

void TDriveCombo::SetVolumeSource(TVolumeSource source)
{
    FVolumeSource = std::move(source);
    if (FFilled) Refill();
}

void TDriveCombo::showEvent(QShowEvent* event)
{
    QComboBox::showEvent(event);
    if (!FFilled) Fill();
}

void TDriveCombo::showPopup()
{
    Refill();
    QComboBox::showPopup();
}

void TDriveCombo::AddVolumes()
{
    const QList<TLocalVolume> volumes = FVolumeSource ? FVolumeSource() : QList<TLocalVolume>();
    for (const TLocalVolume& volume : volumes) {
        const QString root = QDir::cleanPath(volume.RootPath);
        if (!root.startsWith(u'/') || IndexOfRoot(root) >= 0) continue;
        addItem(VolumeIcon(root), volume.DisplayName());
        setItemData(count() - 1, root, Qt::ToolTipRole);
        FEntries.append({root, root});
    }
}

// The first filling selects the volume asked for meanwhile, else the one of
// the current directory, else the first.
void TDriveCombo::Fill()
{
    FFilled = true;
    if (count() > 0) return;
    AddVolumes();
    // The box selected its first entry by itself; nobody chose it.
    setCurrentIndex(-1);
    const QString pending = std::exchange(FPendingDrive, QString());
    if (!pending.isEmpty()) SelectDrive(pending);
    if (currentIndex() < 0) SelectCurrentDrive();
    if (currentIndex() < 0 && count() > 0) {
        setCurrentIndex(0);
        FPreviousIndex = 0;
    }
}

// The volumes as they are now; those still there keep their folders, and
// the selection stays on its volume (or on the one it now lies on).
void TDriveCombo::Refill()
{
    const QString current = CurrentRoot();
    QHash<QString, QString> remembered;
    for (const TEntry& entry : std::as_const(FEntries))
        remembered.insert(entry.Root, entry.Remembered);
    clear();
    FEntries.clear();
    AddVolumes();
    for (TEntry& entry : FEntries)
        entry.Remembered = remembered.value(entry.Root, entry.Root);
    const int index = IndexOfRoot(current.isEmpty() ? QString() : DriveOf(current));
    setCurrentIndex(index);
    FPreviousIndex = index;
}

void TDriveCombo::SelectDrive(const QString& path)
{
    if (!FFilled) {
        FPendingDrive = path;
        return;
    }
    const QString root = DriveOf(path);
    const int index = IndexOfRoot(root);
    if (index < 0 || (currentIndex() >= 0 && root == CurrentRoot())) return;
    setCurrentIndex(index);
    DriveChanged();
}

void TDriveCombo::SelectCurrentDrive()
{
    SelectDrive(QDir::currentPath());
}

QString TDriveCombo::RootOf(int index) const
{
    return index >= 0 && index < FEntries.size() ? FEntries[index].Root : QString();
}

QString TDriveCombo::CurrentRoot() const
{
    return RootOf(currentIndex());
}

QString TDriveCombo::DriveOf(const QString& path) const
{
    QStringList roots;
    for (const TEntry& entry : FEntries)
        roots << entry.Root;
    const QString root = TLocalVolumes::RootOf(path, roots);
    // RootOf falls back on "/", which need not be an entry here.
    return roots.contains(root) ? root : QString();
}

int TDriveCombo::IndexOfRoot(const QString& root) const
{
    for (int i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].Root == root) return i;
    return -1;
}

QString TDriveCombo::RememberedPath(int index) const
{
    return index >= 0 && index < FEntries.size() ? FEntries[index].Remembered : QString();
}

void TDriveCombo::DriveChanged()
{
    const int previous = FPreviousIndex;
    QString savePath = RememberedPath(previous);
    if (OnDriveChange) OnDriveChange(this, CurrentRoot(), RememberedPath(currentIndex()), savePath);
    if (previous >= 0 && previous < FEntries.size()) FEntries[previous].Remembered = savePath;
    // The handler may have selected another volume meanwhile.
    FPreviousIndex = currentIndex();
}
