#pragma once
#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The numbered help contexts that windows and controls carry.
enum THelpContext {
    hcContents = 1,
    hcAbout = 2,
    hcMainWindow = 5,
    hcDirectoryPanes = 7,
    hcSiteSettings = 12,
    // The settings window and its four pages.
    hcOptions = 15,
    hcOptionsGeneral = 16,
    hcOptionsConnecting = 17,
    hcOptionsTransfer = 18,
    hcOptionsTextFiles = 19,
};

// The page of a help context; an unknown context shows the contents.
QUrl HelpPageForContext(int context);
// The page of a named topic ("URLSYNTAX"); an unknown topic shows the contents.
QUrl HelpPageForTopic(const QString& topic);

// The help window: the program's own HTML pages, with Contents, Back and
// Forward. It is hidden, not destroyed, when the user closes it.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    void ShowContext(int context);
    void ShowTopic(const QString& topic);
    QUrl CurrentPage() const;

private:
    void ShowPage(const QUrl& page);

    QTextBrowser* txtHelp;
};
