#include "app/TextViewer.h"

#include "platform/StoredText.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

TTextViewer::TTextViewer(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTextViewer"));
    setWindowFlag(Qt::Window);
    memText = new QPlainTextEdit;
    memText->setObjectName(QStringLiteral("memText"));
    memText->setReadOnly(true);
    // Keyboard selection and copying work as in an editor.
    memText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memText->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(memText, 1);
    layout->addWidget(CreateFindBar());
    setCentralWidget(central);
    CreateMenus();
    const QFontMetrics metrics(memText->font());
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * 90, metrics.lineSpacing() * 35);
}

void TTextViewer::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* copy =
        edit->addAction(QStringLiteral("&Copy"), QKeySequence::Copy, memText, &QPlainTextEdit::copy);
    copy->setEnabled(false);
    connect(memText, &QPlainTextEdit::copyAvailable, copy, &QAction::setEnabled);
    edit->addAction(QStringLiteral("Select &all"), QKeySequence::SelectAll, memText,
                    &QPlainTextEdit::selectAll);
    edit->addSeparator();
    edit->addAction(QStringLiteral("&Find..."), QKeySequence::Find, this, &TTextViewer::ShowFindBar);
    edit->addAction(QStringLiteral("Find &next"), QKeySequence(Qt::Key_F3), this,
                    [this] { FindNext(false); });
    edit->addAction(QStringLiteral("Find &previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3), this,
                    [this] { FindNext(true); });
}

QWidget* TTextViewer::CreateFindBar()
{
    panFind = new QWidget;
    panFind->setObjectName(QStringLiteral("panFind"));
    auto* layout = new QHBoxLayout(panFind);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* label = new QLabel(QStringLiteral("F&ind:"));
    edFind = new QLineEdit;
    edFind->setObjectName(QStringLiteral("edFind"));
    edFind->setClearButtonEnabled(true);
    label->setBuddy(edFind);
    edFind->installEventFilter(this);
    connect(edFind, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    auto* previous = new QToolButton;
    previous->setArrowType(Qt::UpArrow);
    previous->setToolTip(QStringLiteral("Find previous (Shift+F3)"));
    connect(previous, &QToolButton::clicked, this, [this] { FindNext(true); });
    auto* next = new QToolButton;
    next->setArrowType(Qt::DownArrow);
    next->setToolTip(QStringLiteral("Find next (F3)"));
    connect(next, &QToolButton::clicked, this, [this] { FindNext(false); });
    lblFindResult = new QLabel;
    lblFindResult->setObjectName(QStringLiteral("lblFindResult"));
    auto* close = new QToolButton;
    close->setText(QStringLiteral("Close"));
    close->setAutoRaise(true);
    connect(close, &QToolButton::clicked, panFind, &QWidget::hide);
    layout->addWidget(label);
    layout->addWidget(edFind, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(lblFindResult);
    layout->addWidget(close);
    panFind->hide();
    return panFind;
}

bool TTextViewer::LoadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize) return false;
    QString text = DecodeStored(file.readAll());
    // A file that came in binary mode may still carry the other side's line ends.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    memText->setPlainText(text);
    setWindowTitle(QStringLiteral("%1 - QuilloFTP").arg(QFileInfo(path).fileName()));
    return true;
}

void TTextViewer::ShowFindBar()
{
    panFind->show();
    edFind->setFocus();
    edFind->selectAll();
}

bool TTextViewer::FindNext(bool backward)
{
    const QString text = edFind->text();
    if (text.isEmpty()) {
        ShowFindBar();
        return false;
    }
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = memText->find(text, flags);
    if (!found) {
        // Round to the other end, once.
        QTextCursor cursor = memText->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        const QTextCursor before = memText->textCursor();
        memText->setTextCursor(cursor);
        found = memText->find(text, flags);
        if (!found) memText->setTextCursor(before);
    }
    lblFindResult->setText(found ? QString() : QStringLiteral("Not found"));
    return found;
}

bool TTextViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edFind && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        panFind->hide();
        memText->setFocus();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
