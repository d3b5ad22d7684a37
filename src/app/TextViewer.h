#pragma once
#include <QMainWindow>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The program's own read-only text viewer for remote files shown as text:
// a monospace window captioned with the file's name, with copy, select all
// and find (Ctrl+F opens the find bar, F3 and Shift+F3 go on, Esc closes it).
class TTextViewer : public QMainWindow {
    Q_OBJECT
public:
    // More would make the window crawl; such a file is for another program.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    explicit TTextViewer(QWidget* parent = nullptr);

    // Shows the file's text: UTF-8, else Windows-1252 as older files are.
    // False when it cannot be read or is larger than MaxFileSize.
    bool LoadFile(const QString& path);
    // The next (or previous) place of the find bar's text after the cursor,
    // without regard to case, going round at the end; it is selected. False
    // when the text is nowhere.
    bool FindNext(bool backward = false);
    void ShowFindBar();

    QPlainTextEdit* memText;
    QWidget* panFind;
    QLineEdit* edFind;
    QLabel* lblFindResult;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    QWidget* CreateFindBar();
};
