// The main window's construction: actions, menus, toolbars, the two panes,
// the status log and the status bar.
#include "app/frmMain.h"

#include "app/ActionIcons.h"
#include "app/BusyAnimation.h"
#include "app/CertificateTrust.h"
#include "app/SessionDisplay.h"
#include "app/StatusLog.h"
#include "settings/Settings.h"
#include "transfer/frmTransfer.h"
#include "views/framework/FileListModel.h"
#include "views/local/DriveCombo.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString AlwaysEnabled = QStringLiteral("AlwaysEnabled");
const QString DisabledOnBusy = QStringLiteral("DisabledOnBusy");
const QString AfterConnection = QStringLiteral("AfterConnection");
const QString Misc = QStringLiteral("Misc");

struct TActionSpec {
    const char* Name;
    const char* Caption;
    const char* Hint;
    const QString& Category;
    QKeySequence Shortcut;
    const char* Icon;
};

QToolBar* MakeToolBar(const QString& name, int iconSize)
{
    auto* bar = new QToolBar;
    bar->setObjectName(name);
    bar->setIconSize(QSize(iconSize, iconSize));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

// Narrower than this, the Name column makes the pane scroll sideways instead.
constexpr int NameMinimum = 100;

int ColumnsWidth(const QTreeView& view)
{
    const QHeaderView* header = view.header();
    int width = 0;
    for (int i = 0; i < header->count(); ++i)
        if (!header->isSectionHidden(i)) width += header->sectionSize(i);
    return width;
}

// The Name column takes whatever width the other columns leave.
void FitNameColumn(QTreeView& view)
{
    QHeaderView* header = view.header();
    if (header->count() == 0) return;
    const int others = ColumnsWidth(view) - header->sectionSize(0);
    header->resizeSection(0, qMax(NameMinimum, view.viewport()->width() - others));
}

}  // namespace

TfrmMain::TfrmMain(std::unique_ptr<TSettings> settings, QWidget* parent)
    : QMainWindow(parent), FSettings(settings ? std::move(settings) : std::make_unique<TSettings>())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ActionIcon(QStringLiteral("quilloftp")));
    FSettings->LoadAll();
    FSettings->ApplyToolTips();
    LogFileName = FSettings->LastLogName;

    BindFtpEvents();
    CreateActions();
    CreateMenus();
    CreateToolbars();

    auto* panes = new QSplitter(Qt::Horizontal);
    panes->setObjectName(QStringLiteral("splPanes"));
    panes->setChildrenCollapsible(false);
    panes->addWidget(CreateLocalPane());
    panes->addWidget(CreateRemotePane());
    // Each pane gets room after its columns; the remote one has one more.
    panes->setSizes({ColumnsWidth(*LocalDir), ColumnsWidth(*RemoteDir)});
    Status = new TStatusLog;
    splStatus = new QSplitter(Qt::Vertical);
    splStatus->setObjectName(QStringLiteral("splStatus"));
    splStatus->setChildrenCollapsible(false);
    splStatus->addWidget(panes);
    splStatus->addWidget(Status);
    splStatus->setStretchFactor(0, 1);
    splStatus->setStretchFactor(1, 0);
    // The panes take what the log leaves; the window's height is not known yet.
    splStatus->setSizes({QWIDGETSIZE_MAX / 2, FSettings->LogHeight});
    setCentralWidget(splStatus);
    CreateStatusBar();
    BindRemoteViewEvents();
    BindBoxEvents();
    frmTransfer = new TfrmTransfer(Ftp, *LocalDir, *RemoteDir, *FSettings, *this, this);
    Transfer = frmTransfer;
    BindTransferEvents();
    BindOpenEvents();

    tmrSecondTimer.setInterval(1000);
    connect(&tmrSecondTimer, &QTimer::timeout, this, [this] { SecondTimerTick(); });
    tmrDisconnect.setInterval(5000);  // it stops itself when it fires
    connect(&tmrDisconnect, &QTimer::timeout, this, [this] { DisconnectTimerFired(); });
    tmrKeepAlive.setSingleShot(true);
    connect(&tmrKeepAlive, &QTimer::timeout, this, [this] { KeepAliveTimerFired(); });

    ApplyStoredSize();
    SetConnectionState(csNotConnected);
    TransferMode = tmAutomatic;
    OpenLastDirectory();
    CreateSiteParts();
}

TfrmMain::~TfrmMain()
{
    // The transfer window drives the client and the views, which go first.
    Transfer = nullptr;
    delete frmTransfer;
    frmTransfer = nullptr;
    // The client may report while it closes; the log is going away.
    Closing = true;
    Status = nullptr;
}

void TfrmMain::CreateActions()
{
    const TActionSpec specs[] = {
        {"actConnectToNew", "To a &new site...",
         "Connect to a new site|Connects to a site that isn't saved to the site list", AlwaysEnabled,
         Qt::Key_F6, "connect-new"},
        {"actSiteList", "&Site list", "Site list|Shows the site list", AlwaysEnabled, Qt::Key_F4,
         "site-list"},
        {"actConnectToURL", "&Enter Internet link",
         "Enter Internet link|You can give an Internet link which contains the info that is needed to "
         "connect to a site",
         AlwaysEnabled, QKeySequence(Qt::CTRL | Qt::Key_L), "internet-link"},
        {"actDisconnect", "&Disconnect", "Disconnect|Closes the connection to the site", AfterConnection,
         Qt::Key_F9, "disconnect"},
        {"actStop", "&Stop the current operation",
         "Stop the current operation|Stops the current operation with the site", Misc, Qt::Key_F12, "stop"},
        {"actTransferASCII", "&Text", "Textual (ASCII) transfer-mode|Selects textual transfer mode",
         DisabledOnBusy, QKeySequence(Qt::CTRL | Qt::Key_1), "mode-text"},
        {"actTransferBinary", "&Binary", "Binary transfer mode|Selects binary transfer mode", DisabledOnBusy,
         QKeySequence(Qt::CTRL | Qt::Key_2), "mode-binary"},
        {"actTransferAuto", "&Automatic", "Automatic transfer mode|Selects automatic transfer mode",
         DisabledOnBusy, QKeySequence(Qt::CTRL | Qt::Key_3), "mode-auto"},
        {"actAddToSitelist",
         "&Add to the site list",
         "Add the site to the site list|Adds the current site to the current folder in the site list",
         AfterConnection,
         {},
         nullptr},
        {"actUpload", "&Upload files",
         "Upload files|Transfers the selected files to the current remote directory", DisabledOnBusy,
         Qt::Key_F7, "upload"},
        {"actDownload", "&Download files",
         "Download files|Transfers the selected files from the site to the current local directory",
         DisabledOnBusy, Qt::Key_F8, "download"},
        {"actSaveLog", "Save &log...", "Save log|Saves the status messages to a file", AlwaysEnabled,
         QKeySequence(Qt::CTRL | Qt::Key_S), nullptr},
        {"actSettings", "S&ettings", "Settings|Shows the settings", Misc, {}, "settings"},
        {"actHelpContents", "&Help contents", "Help|Shows the help file", Misc, Qt::Key_F1, "help"},
    };
    for (const TActionSpec& spec : specs) {
        QAction* action = Actions.Add(QLatin1String(spec.Name), QString::fromUtf8(spec.Caption),
                                      QString::fromUtf8(spec.Hint), spec.Category, spec.Shortcut);
        if (spec.Icon) action->setIcon(ActionIcon(QLatin1String(spec.Icon)));
        addAction(action);
    }
    connect(Actions[QStringLiteral("actSettings")], &QAction::triggered, this,
            [this] { actSettingsExecute(); });

    auto* modes = new QActionGroup(this);
    const TTransferMode modeOf[] = {tmText, tmBinary, tmAutomatic};
    const char* const modeNames[] = {"actTransferASCII", "actTransferBinary", "actTransferAuto"};
    const char* const modeLines[] = {"Textual transfer mode selected", "Binary transfer mode selected",
                                     "Automatic transfer mode selected"};
    for (int i = 0; i < 3; ++i) {
        QAction* action = Actions[QLatin1String(modeNames[i])];
        action->setCheckable(true);
        modes->addAction(action);
        const TTransferMode mode = modeOf[i];
        const QString line = QLatin1String(modeLines[i]);
        connect(action, &QAction::triggered, this, [this, mode, line] {
            SetTransferMode(mode);
            LogInfo(line);
        });
    }
    Actions[QStringLiteral("actTransferAuto")]->setChecked(true);

    connect(Actions[QStringLiteral("actConnectToNew")], &QAction::triggered, this,
            [this] { actConnectToNewExecute(); });
    connect(Actions[QStringLiteral("actDisconnect")], &QAction::triggered, this,
            [this] { actDisconnectExecute(); });
    connect(Actions[QStringLiteral("actStop")], &QAction::triggered, this, [this] { actStopExecute(); });
    connect(Actions[QStringLiteral("actConnectToURL")], &QAction::triggered, this,
            [this] { actConnectToURLExecute(); });
    connect(Actions[QStringLiteral("actUpload")], &QAction::triggered, this, [this] { actUploadExecute(); });
    connect(Actions[QStringLiteral("actDownload")], &QAction::triggered, this,
            [this] { actDownloadExecute(); });
    connect(Actions[QStringLiteral("actSaveLog")], &QAction::triggered, this,
            [this] { actSaveLogExecute(); });
    connect(Actions[QStringLiteral("actHelpContents")], &QAction::triggered, this,
            [this] { actHelpContentsExecute(); });
    CreateFileCommandActions();
}

void TfrmMain::CreateMenus()
{
    QMenu* site = menuBar()->addMenu(QStringLiteral("&Site"));
    site->setObjectName(QStringLiteral("mnuSite"));
    QMenu* connectMenu = site->addMenu(QStringLiteral("&Connect"));
    connectMenu->setObjectName(QStringLiteral("mnuConnect"));
    connectMenu->addAction(Actions[QStringLiteral("actConnectToNew")]);
    QAction* openSiteList = connectMenu->addAction(QStringLiteral("To a site in the &site list..."));
    openSiteList->setObjectName(QStringLiteral("mnuOpenSiteList"));
    connect(openSiteList, &QAction::triggered, Actions[QStringLiteral("actSiteList")], &QAction::trigger);
    QAction* enterLink = connectMenu->addAction(QStringLiteral("&Enter Intenet link..."));
    enterLink->setObjectName(QStringLiteral("mnuEnterLink"));
    connect(enterLink, &QAction::triggered, Actions[QStringLiteral("actConnectToURL")], &QAction::trigger);
    connectMenu->addSeparator()->setObjectName(QStringLiteral("mnuRecentSep"));  // the recent sites follow
    site->addAction(Actions[QStringLiteral("actDisconnect")]);
    site->addSeparator();
    site->addAction(Actions[QStringLiteral("actStop")]);
    QMenu* modes = site->addMenu(QStringLiteral("&Transfer mode"));
    for (const char* name : {"actTransferASCII", "actTransferBinary", "actTransferAuto"})
        modes->addAction(Actions[QLatin1String(name)]);
    site->addSeparator();
    site->addAction(Actions[QStringLiteral("actAddToSitelist")]);
    site->addAction(Actions[QStringLiteral("actSaveLog")]);
    site->addSeparator();
    QAction* exit = site->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("mnuExit"));

    QMenu* local = menuBar()->addMenu(QStringLiteral("&Local directory"));
    local->setObjectName(QStringLiteral("mnuLocalDir"));
    AddFileCommands(*local, false, false);
    QMenu* remote = menuBar()->addMenu(QStringLiteral("&Remote directory"));
    remote->setObjectName(QStringLiteral("mnuRemoteDir"));
    AddFileCommands(*remote, true, false);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(Actions[QStringLiteral("actSiteList")]);
    tools->addAction(Actions[QStringLiteral("actSettings")]);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(Actions[QStringLiteral("actHelpContents")]);
    help->addSeparator();
    QAction* about = help->addAction(QStringLiteral("&About"), this, [this] { mnuAboutClick(); });
    about->setObjectName(QStringLiteral("mnuAbout"));
    about->setStatusTip(QStringLiteral("Shows the About-dialog"));
}

void TfrmMain::CreateToolbars()
{
    QToolBar* bar = MakeToolBar(QStringLiteral("tbrMain"), 24);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const char* const layout[] = {"actConnectToNew",
                                  "actSiteList",
                                  "actConnectToURL",
                                  "actDisconnect",
                                  "",
                                  "actStop",
                                  "",
                                  "actTransferASCII",
                                  "actTransferBinary",
                                  "actTransferAuto",
                                  "",
                                  "actSettings",
                                  "actHelpContents"};
    for (const char* name : layout) {
        if (!*name)
            bar->addSeparator();
        else
            bar->addAction(Actions[QLatin1String(name)]);
    }
    addToolBar(Qt::TopToolBarArea, bar);
}

namespace {

QGroupBox* NewPane(const QString& caption, const QString& name, int minimumWidth)
{
    auto* pane = new QGroupBox(caption);
    pane->setObjectName(name);
    pane->setMinimumWidth(minimumWidth);
    return pane;
}

// A directory history box: typed paths are taken by the view, not added here.
TComboBoxEx* NewDirectoryBox(const QString& name)
{
    auto* box = new TComboBoxEx;
    box->setObjectName(name);
    return box;
}

// Wide enough for the longest local date in the view's font (the locale's
// short date and time, as the local pane writes it), and its cell margins.
int DateColumnWidth(const QFontMetrics& metrics)
{
    const QLocale locale;
    const QString longest = locale.toString(QDate(2000, 12, 28), QLocale::ShortFormat) + u' ' +
                            locale.toString(QTime(23, 59), QLocale::ShortFormat);
    return qMax(125, metrics.horizontalAdvance(longest) + 20);
}

// The columns both panes share, with the window's own widths: names need the
// room, dates the next most.
QList<TListColumn> FileColumns(const QFontMetrics& metrics)
{
    return {{QStringLiteral("Name"), Qt::AlignLeft, 150},
            {QStringLiteral("Size"), Qt::AlignRight, 70},
            {QStringLiteral("Type"), Qt::AlignLeft, 90},
            {QStringLiteral("Date"), Qt::AlignLeft, DateColumnWidth(metrics)}};
}

}  // namespace

QWidget* TfrmMain::CreateLocalPane()
{
    QGroupBox* pane = NewPane(QStringLiteral("Local directory"), QStringLiteral("grpLocal"), 250);
    cbLocalDirectory = NewDirectoryBox(QStringLiteral("cbLocalDirectory"));
    cmbLocalDrive = new TDriveCombo;
    cmbLocalDrive->setObjectName(QStringLiteral("cmbLocalDrive"));
    LocalDir = new TFileListView;
    LocalDir->setObjectName(QStringLiteral("LocalDir"));
    LocalDir->SetDirectoryControl(cbLocalDirectory);
    LocalDir->SetColumns(FileColumns(LocalDir->fontMetrics()));
    // The pane stays within the folder tree: going up ends at "/", and the
    // first folder is the one the program was started in. Files dragged in
    // from the desktop are uploads and belong on the remote pane.
    LocalDir->SetCanBrowseToRoot(false);
    LocalDir->SetStartUpDir(sdCurrentDir);
    LocalDir->SetAcceptShellFiles(false);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(cmbLocalDrive);
    boxes->addWidget(cbLocalDirectory, 1);
    auto* layout = new QVBoxLayout(pane);
    layout->addLayout(boxes);
    layout->addWidget(LocalDir, 1);
    LocalDir->viewport()->installEventFilter(this);
    AttachPaneCommands(*pane, *layout, false);
    return pane;
}

QWidget* TfrmMain::CreateRemotePane()
{
    QGroupBox* pane = NewPane(QStringLiteral("Remote directory"), QStringLiteral("grpRemote"), 275);
    cbRemoteDirectory = NewDirectoryBox(QStringLiteral("cbRemoteDirectory"));
    aniBusy = new TBusyAnimation;
    RemoteDir = new TFtpFileListView;
    RemoteDir->setObjectName(QStringLiteral("RemoteDir"));
    RemoteDir->SetDirectoryControl(cbRemoteDirectory);
    RemoteDir->SetColumns(FileColumns(RemoteDir->fontMetrics())
                          << TListColumn{QStringLiteral("Attributes"), Qt::AlignLeft, 85});
    RemoteDir->SetFtpControl(&Ftp);

    auto* command = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Custom cmd:"));
    edCustomCommand = new QLineEdit;
    edCustomCommand->setObjectName(QStringLiteral("edCustomCommand"));
    label->setBuddy(edCustomCommand);
    btnCustomCommand = new QPushButton(QStringLiteral("&Execute"));
    btnCustomCommand->setObjectName(QStringLiteral("btnCustomCommand"));
    command->addWidget(label);
    command->addWidget(edCustomCommand, 1);
    command->addWidget(btnCustomCommand);

    auto* top = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(cbRemoteDirectory);
    boxes->addLayout(command);
    top->addLayout(boxes, 1);
    top->addWidget(aniBusy, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(pane);
    layout->addLayout(top);
    layout->addWidget(RemoteDir, 1);
    RemoteDir->viewport()->installEventFilter(this);
    AttachPaneCommands(*pane, *layout, true);
    return pane;
}

void TfrmMain::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("Statusbar"));
    bar->setSizeGripEnabled(false);
    StatusPanel0 = new QLabel;
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setMinimumWidth(450);
    StatusPanel1 = new QLabel;
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    // Wide enough for the longest text it shows.
    StatusPanel1->setMinimumWidth(
        qMax(75, StatusPanel1->fontMetrics().horizontalAdvance(SessionLengthText(QDateTime(), QDateTime()) +
                                                               QStringLiteral("00")) +
                     8));
    lblEncrypted = new QLabel;
    lblEncrypted->setObjectName(QStringLiteral("lblEncrypted"));
    lblEncrypted->setPixmap(QIcon(QStringLiteral(":/icons/lock.svg")).pixmap(16, 16));
    lblEncrypted->hide();
    bar->addWidget(StatusPanel0, 1);
    bar->addPermanentWidget(lblEncrypted);
    bar->addPermanentWidget(StatusPanel1);
}

bool TfrmMain::event(QEvent* event)
{
    // The long part of a hint goes to panel 0 of the status bar.
    if (event->type() == QEvent::StatusTip) {
        if (StatusPanel0) StatusPanel0->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // Whenever a pane changes its width, the names get what is new.
    if (event->type() == QEvent::Resize) {
        if (LocalDir && watched == LocalDir->viewport()) FitNameColumn(*LocalDir);
        if (RemoteDir && watched == RemoteDir->viewport()) FitNameColumn(*RemoteDir);
    }
    return QMainWindow::eventFilter(watched, event);
}

QSize TfrmMain::FirstStartSize(const QSize& screenArea)
{
    // 1000 x 700 shows every column of both panes with today's fonts. Where
    // that would fill more than 80 % of the screen, 70 % of it leaves the
    // desktop visible around the window.
    const auto fit = [](int wanted, int available) {
        return wanted <= available * 4 / 5 ? wanted : available * 7 / 10;
    };
    return QSize(fit(1000, screenArea.width()), fit(700, screenArea.height()));
}

void TfrmMain::ApplyStoredSize()
{
    const TSettings& settings = Settings();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (settings.MainSizeRemembered || !screen)
        resize(settings.MainWidth, settings.MainHeight);
    else
        resize(FirstStartSize(screen->availableGeometry().size()));
    CenterForm(nullptr, *this);
    if (settings.MainMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmMain::OpenLastDirectory()
{
    const QString last = Settings().LastDir;
    if (last.isEmpty() || !QDir(last).exists()) return;
    LocalDir->SetDirectory(last);
    // The view lists nothing before it is shown, so its Directory is still
    // empty here: the history gets the folder it is going to show.
    AddToHistory(*cbLocalDirectory, QDir::cleanPath(QDir(last).absolutePath()));
}
