#include "app/HelpWindow.h"

#include "app/ActionIcons.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// The pages live in a static library, whose resource registration the
// linker would drop unless something refers to it.
static void EnsureHelpResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(qftp_help);
        return true;
    }();
    (void)registered;
}

namespace {

QUrl HelpPage(const char* file, const char* section = nullptr)
{
    QUrl page(QStringLiteral("qrc:/help/") + QLatin1String(file));
    if (section) page.setFragment(QLatin1String(section));
    return page;
}

const char* const PageStyle =
    "body { margin: 6px; } h1 { font-size: x-large; color: #1f4e8c; }"
    " h2 { font-size: large; color: #1f4e8c; } pre { background: #eef2f7; }"
    " th { background: #dfe5ee; text-align: left; }";

QPushButton* NewNavigationButton(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

QUrl HelpPageForContext(int context)
{
    switch (context) {
    case hcAbout: return HelpPage("about.html");
    case hcMainWindow: return HelpPage("mainwindow.html");
    case hcDirectoryPanes: return HelpPage("panes.html");
    case hcSiteSettings: return HelpPage("connecting.html");
    case hcOptions: return HelpPage("options.html");
    case hcOptionsGeneral: return HelpPage("options.html", "general");
    case hcOptionsConnecting: return HelpPage("options.html", "connecting");
    case hcOptionsTransfer: return HelpPage("options.html", "transfer");
    case hcOptionsTextFiles: return HelpPage("options.html", "textfiles");
    default: return HelpPage("contents.html");
    }
}

QUrl HelpPageForTopic(const QString& topic)
{
    if (topic == QLatin1String("URLSYNTAX")) return HelpPage("urlsyntax.html");
    return HelpPageForContext(hcContents);
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    EnsureHelpResources();
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("QuilloFTP Help"));
    setWindowIcon(ActionIcon(QStringLiteral("help")));
    resize(600, 500);

    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->document()->setDefaultStyleSheet(QLatin1String(PageStyle));
    QPushButton* contents = NewNavigationButton("btnContents", QStringLiteral("&Contents"), this);
    QPushButton* back = NewNavigationButton("btnBack", QStringLiteral("&Back"), this);
    QPushButton* forward = NewNavigationButton("btnForward", QStringLiteral("&Forward"), this);
    connect(contents, &QPushButton::clicked, this, [this] { ShowPage(HelpPageForContext(hcContents)); });
    connect(back, &QPushButton::clicked, txtHelp, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, txtHelp, &QTextBrowser::forward);
    connect(txtHelp, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(txtHelp, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(txtHelp, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(QStringLiteral("QuilloFTP Help - %1").arg(txtHelp->documentTitle())); });
    back->setEnabled(false);
    forward->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(txtHelp);
}

void THelpWindow::ShowContext(int context)
{
    ShowPage(HelpPageForContext(context));
}

void THelpWindow::ShowTopic(const QString& topic)
{
    ShowPage(HelpPageForTopic(topic));
}

QUrl THelpWindow::CurrentPage() const
{
    return txtHelp->source();
}

void THelpWindow::ShowPage(const QUrl& page)
{
    txtHelp->setSource(page);
    show();
    raise();
    activateWindow();
}
