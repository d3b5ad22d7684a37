#include "transfer/frmTransfer.h"

#include "net/ResumableFtp.h"
#include "transfer/TransferHost.h"
#include "transfer/TransferState.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString TransferredFormat = QStringLiteral("Transferred: %d / %d kB (%d%s)");
const QString RateFormat = QStringLiteral("Transfer rate: %.1f kB/s");
constexpr int PaintIntervalMs = 100;

// A label that shows a long name or path elided in the middle instead of
// growing the window; the whole text is its tool tip. The elided text is
// worked out when the label is painted: a tree gives it a new name for every
// file, far more often than the window paints.
class TElidedLabel : public QLabel {
public:
    explicit TElidedLabel(const QColor& colour, QWidget* parent) : QLabel(parent)
    {
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, colour);
        setPalette(colours);
    }
    void SetFullText(const QString& text)
    {
        if (text == FFull) return;
        FFull = text;
        setToolTip(text);
        Stale = true;
        update();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        Stale = true;
    }
    void paintEvent(QPaintEvent*) override
    {
        const QRect area = contentsRect();
        if (Stale) {
            Shown = fontMetrics().elidedText(FFull, Qt::ElideMiddle, qMax(area.width(), 10));
            Stale = false;
        }
        QPainter painter(this);
        style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()),
                              palette(), isEnabled(), Shown, foregroundRole());
    }

private:
    QString FFull;
    QString Shown;
    bool Stale = false;
};

TElidedLabel* Elided(QLabel* label)
{
    return static_cast<TElidedLabel*>(label);
}

void SetHints(QPushButton* button, const QString& shortHint, const QString& longHint)
{
    button->setToolTip(shortHint);
    button->setStatusTip(longHint);
}

}  // namespace

TfrmTransfer::TfrmTransfer(TResumableFtp& ftp, TFileListView& localDir, TFtpFileListView& remoteDir,
                           TSettings& settings, TTransferHost& host, QWidget* parent)
    : QDialog(parent), S(std::make_unique<TState>(ftp, localDir, remoteDir, settings, host))
{
    BuildControls();
    S->TrailingPaint.setSingleShot(true);
    connect(&S->TrailingPaint, &QTimer::timeout, this, [this] {
        if (S->FileInProgress) ShowProgress();
    });
    tmrTransfer.setInterval(3000);
    connect(&tmrTransfer, &QTimer::timeout, this, [this] { UpdateRate(); });
    ResetStatus();
}

TfrmTransfer::~TfrmTransfer() = default;

void TfrmTransfer::BuildControls()
{
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(false);

    lblSourceFileCap = new QLabel(QStringLiteral("File:"), this);
    lblSourceFile = new TElidedLabel(QColor(0, 0, 128), this);
    lblDestinationDirCap = new QLabel(QStringLiteral("Dest. directory:"), this);
    lblDestinationDir = new TElidedLabel(QColor(128, 0, 0), this);
    for (QLabel* label : {lblSourceFile, lblDestinationDir}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setTextFormat(Qt::PlainText);
    }

    grpTransferInfo = new QGroupBox(QStringLiteral("Transfer status:"), this);
    lblTransferred = new QLabel(grpTransferInfo);
    lblTransferSpeed = new QLabel(grpTransferInfo);
    lblTimeLeft = new QLabel(grpTransferInfo);
    prgTransfer = new QProgressBar(grpTransferInfo);
    prgTransfer->setRange(0, 100);
    lblItemsLeft = new QLabel(grpTransferInfo);
    auto* status = new QVBoxLayout(grpTransferInfo);
    for (QWidget* w : std::initializer_list<QWidget*>{lblTransferred, lblTransferSpeed, lblTimeLeft,
                                                      prgTransfer, lblItemsLeft})
        status->addWidget(w);

    btnSkip = new QPushButton(QStringLiteral("&Skip file"), this);
    SetHints(btnSkip, QStringLiteral("Skip file"),
             QStringLiteral("Skips the file currently being transferred"));
    btnSkip->setEnabled(false);
    btnSkip->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetHints(btnCancel, QStringLiteral("Cancel transfer"), QStringLiteral("Cancels the file transfer"));
    btnCancel->setAutoDefault(false);
    connect(btnSkip, &QPushButton::clicked, this, [this] { btnSkipClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    auto* names = new QGridLayout;
    names->addWidget(lblSourceFileCap, 0, 0);
    names->addWidget(lblSourceFile, 0, 1);
    names->addWidget(lblDestinationDirCap, 1, 0);
    names->addWidget(lblDestinationDir, 1, 1);
    names->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSkip);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(names);
    layout->addWidget(grpTransferInfo);
    layout->addLayout(buttons);
    setFixedSize(420, sizeHint().height());
    // The window's size is fixed, so its lines are too: a line of fixed size
    // that gets a new text is only repainted, while any other would lay the
    // whole window out again, several times for every file of a tree.
    layout->activate();
    for (QWidget* line :
         std::initializer_list<QWidget*>{lblSourceFile, lblDestinationDir, lblTransferred, lblTransferSpeed,
                                         lblTimeLeft, prgTransfer, lblItemsLeft})
        line->setFixedSize(line->size());
}

// --- the display ---------------------------------------------------------------------

void TfrmTransfer::ResetStatus()
{
    Elided(lblSourceFile)->SetFullText(QStringLiteral("Preparing file transfer"));
    Elided(lblDestinationDir)->SetFullText({});
    lblTransferred->setText(IdleText(TransferredFormat));
    lblTransferSpeed->setText(IdleText(RateFormat));
    lblTimeLeft->setText(QStringLiteral("Time left: "));
    prgTransfer->setValue(0);
}

void TfrmTransfer::ShowItemsLeft()
{
    if (!S->CurrentDir) return;
    lblItemsLeft->setText(
        ItemsLeftText(S->CurrentDir->Contents.Files.size(), S->CurrentDir->Contents.DirectoryCount()));
}

void TfrmTransfer::ShowProgress()
{
    lblTransferred->setText(TransferredText(S->BytesDone, S->ExpectedBytes));
    prgTransfer->setValue(PercentDone(S->BytesDone, S->ExpectedBytes));
    S->TrailingPaint.stop();
    S->PaintClock.restart();
}

// --- the client's events -------------------------------------------------------------

bool TfrmTransfer::Active() const
{
    return S->Active;
}

bool TfrmTransfer::FileCommandIssued() const
{
    return S->FileCommandIssued;
}

bool TfrmTransfer::FileInProgress() const
{
    return S->FileInProgress;
}

void TfrmTransfer::TransferStarted()
{
    S->FileInProgress = true;
    tmrTransfer.start();
    S->Clock.start();
    S->SampleClock.start();
    S->EndMs = 0;
    S->BytesDone = S->ResumeOffset;
    S->BytesSinceSample = 0;
    S->Rate = 0;
    S->PreviousRate = 0;
    // A resumed upload sends only the remainder. Servers announce either the
    // whole file or only the remainder for a resumed download, so the
    // listing's size decides when there is one.
    const qint64 total = S->Ftp.TotalBytes();
    if (S->Downloading)
        S->ExpectedBytes = S->ListedSize >= 0 && (S->Resuming || total <= 0) ? S->ListedSize : total;
    else
        S->ExpectedBytes = total + (S->Resuming ? S->ResumeOffset : 0);
    btnSkip->setEnabled(true);
    Elided(lblSourceFile)->SetFullText(S->CurrentFileName);
    Elided(lblDestinationDir)->SetFullText(S->DestinationDir);
    ShowProgress();
    QString line = QStringLiteral("Transferring file \"%1\" to destination dir \"%2\"")
                       .arg(S->CurrentFileName, S->DestinationDir);
    if (S->Resuming) line += QStringLiteral(" using temporary file \"%1\"").arg(S->Ftp.TempFileName);
    S->Host.LogInfo(line);
}

void TfrmTransfer::TransferStopped()
{
    S->FileInProgress = false;
    S->EndMs = S->Clock.isValid() ? S->Clock.elapsed() : 0;
    tmrTransfer.stop();
    btnSkip->setEnabled(false);
    UpdateTransferred();
    ShowProgress();  // the final numbers, exact whatever the paint cadence
    AddFileToView();
}

void TfrmTransfer::UpdateTransferred()
{
    if (!S->Active) return;
    // Called for every packet: a counter update, and a repaint only on the
    // paint cadence.
    const qint64 moved = S->Downloading ? S->Ftp.DataReceivedBytes() : S->Ftp.DataSentBytes();
    const qint64 done = moved + (S->Resuming ? S->ResumeOffset : 0);
    S->BytesSinceSample += done - S->BytesDone;
    S->BytesDone = done;
    if (S->BytesDone > S->ExpectedBytes) S->ExpectedBytes = S->BytesDone;
    const qint64 sincePaint = S->PaintClock.isValid() ? S->PaintClock.elapsed() : PaintIntervalMs;
    if (sincePaint >= PaintIntervalMs)
        ShowProgress();
    else if (!S->TrailingPaint.isActive())
        S->TrailingPaint.start(int(PaintIntervalMs - sincePaint));
}

void TfrmTransfer::UpdateRate()
{
    const qint64 elapsed = qMax<qint64>(S->SampleClock.isValid() ? S->SampleClock.elapsed() : 1, 1);
    const qint64 bytes = qMax<qint64>(S->BytesSinceSample, 1);
    S->Rate = SmoothedRate(double(bytes) / double(elapsed), S->PreviousRate);
    S->PreviousRate = S->Rate;
    lblTransferSpeed->setText(RateText(S->Rate));
    lblTimeLeft->setText(TimeLeftText(S->ExpectedBytes - S->BytesDone, S->Rate));
    S->BytesSinceSample = 0;
    S->SampleClock.restart();
}

TTransferStatistics TfrmTransfer::GetTransferStatistics() const
{
    return MakeStatistics(S->ExpectedBytes, S->Resuming ? S->ResumeOffset : 0, S->EndMs);
}

QString TfrmTransfer::TransferStatisticsLine() const
{
    return StatisticsLine(GetTransferStatistics());
}

bool TfrmTransfer::LastJobCompleted() const
{
    return S->LastJobCompleted;
}

int TfrmTransfer::LastJobFilesDone() const
{
    return S->LastJobFilesDone;
}

int TfrmTransfer::LastJobFilesMissed() const
{
    return S->LastJobFilesMissed;
}

int TfrmTransfer::ProgressPercent() const
{
    return PercentDone(S->BytesDone, S->ExpectedBytes);
}

QString TfrmTransfer::CurrentFileName() const
{
    return S->CurrentFileName;
}

// --- the buttons ---------------------------------------------------------------------

void TfrmTransfer::btnSkipClick()
{
    if (!S->FileInProgress) return;
    S->SkipRequested = true;
    AbortFile(true);
}

void TfrmTransfer::btnCancelClick()
{
    CancelTransfer(true);
}

void TfrmTransfer::closeEvent(QCloseEvent* event)
{
    if (!S->Active || CancelTransfer(true))
        event->accept();
    else
        event->ignore();
}

void TfrmTransfer::reject()
{
    CancelTransfer(true);
}
