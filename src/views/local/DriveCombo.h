#pragma once
#include "views/local/LocalVolumes.h"

#include <QComboBox>
#include <functional>

// The volume box above the local pane: one entry per mounted volume ("/"
// first), each with its icon, its root (the mount point) and the folder last
// used on it, which starts as the root. A path lies on the volume with the
// longest mount-point prefix. The entries are read when the box is first
// shown, and again whenever its list opens, so volumes mounted meanwhile
// appear.
class TDriveCombo : public QComboBox {
    Q_OBJECT
public:
    // The user chose a volume: NewDrive is its root, NewPath the folder last
    // used on it; SavePath starts as the folder remembered for the volume
    // left and is remembered for it as the handler leaves it.
    using TDriveChangeEvent = std::function<void(TDriveCombo* Sender, const QString& NewDrive,
                                                 const QString& NewPath, QString& SavePath)>;
    using TVolumeSource = std::function<QList<TLocalVolume>()>;

    explicit TDriveCombo(QWidget* parent = nullptr);

    // Where the entries come from (TLocalVolumes::Mounted unless set); a box
    // already filled reads them again.
    void SetVolumeSource(TVolumeSource source);
    // Selects the volume path lies on, unless it is selected already, as if
    // the user had chosen it (OnDriveChange). Before the box is filled, the
    // path waits until it is.
    void SelectDrive(const QString& path);
    // SelectDrive of the process's current directory.
    void SelectCurrentDrive();
    QString RootOf(int index) const;  // empty outside the list
    QString CurrentRoot() const;
    // The root of the entry path lies on; empty when it lies on none.
    QString DriveOf(const QString& path) const;

    TDriveChangeEvent OnDriveChange;

    void showPopup() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct TEntry {
        QString Root;
        QString Remembered;
    };

    void Fill();
    void Refill();
    void AddVolumes();
    int IndexOfRoot(const QString& root) const;
    QString RememberedPath(int index) const;
    void DriveChanged();

    TVolumeSource FVolumeSource;
    QList<TEntry> FEntries;
    int FPreviousIndex = -1;
    QString FPendingDrive;
    bool FFilled = false;
};
