#include "app/StatusLog.h"

#include "platform/Exception.h"
#include "platform/MessageBoxes.h"

#include <QFile>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace {

const char* const ProgramVersion = "1.01";
const char* const ProgramDate = "12.5.2000";

bool IsBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

QString TrimLogText(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlankOrControl(text[first]))
        ++first;
    while (last > first && IsBlankOrControl(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

// A stray CR or a Unicode separator would open a block of its own inside the
// document and so split one log line into two.
QString OneBlock(QString line)
{
    for (QChar& c : line)
        if (c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = u' ';
    return line;
}

}  // namespace

QString ProgramVersionLine()
{
    return QStringLiteral("QuilloFTP %1 - %2").arg(QLatin1String(ProgramVersion), QLatin1String(ProgramDate));
}

TStatusLog::TStatusLog(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("Status"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setFocusPolicy(Qt::ClickFocus);  // not a tab stop, but clicking into it holds the view
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // Often enough to read as it happens; seldom enough to cost nothing.
    FlushTimer.setSingleShot(true);
    FlushTimer.setInterval(50);
    connect(&FlushTimer, &QTimer::timeout, this, [this] { Flush(); });
    LogInfo(ProgramVersionLine());
    LogInfo(QStringLiteral("Welcome to QuilloFTP."));
    LogInfo(QStringLiteral("You can connect to a site from the \"Site\"-menu."));
}

QSize TStatusLog::sizeHint() const
{
    return {QPlainTextEdit::sizeHint().width(), 60};
}

void TStatusLog::AddLogLine(const QString& text, const QColor& colour)
{
    QString rest = text;
    for (;;) {
        rest = TrimLogText(rest);
        const qsizetype lineFeed = rest.indexOf(u'\n');
        if (lineFeed < 0) break;
        QString part = rest.left(lineFeed);
        if (part.endsWith(u'\r')) part.chop(1);
        AppendLine(part, colour);
        rest = rest.mid(lineFeed + 1);
    }
    AppendLine(rest, colour);
}

void TStatusLog::AppendLine(const QString& line, const QColor& colour)
{
    Pending.push_back({OneBlock(line), colour});
    if (!FlushTimer.isActive()) FlushTimer.start();
}

void TStatusLog::Flush() const
{
    if (Pending.empty()) return;
    auto* self = const_cast<TStatusLog*>(this);
    std::vector<TPendingLine> lines;
    lines.swap(Pending);
    self->FlushTimer.stop();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    for (const TPendingLine& line : lines) {
        QTextCharFormat format;
        format.setForeground(line.Colour);
        if (self->LineCount > 0)
            cursor.insertBlock(QTextBlockFormat(), format);
        else
            cursor.setBlockCharFormat(format);
        cursor.insertText(line.Text, format);
        ++self->LineCount;
    }
    cursor.endEditBlock();
    self->FollowNewestLine();
}

void TStatusLog::showEvent(QShowEvent* event)
{
    Flush();
    QPlainTextEdit::showEvent(event);
}

void TStatusLog::FollowNewestLine()
{
    if (hasFocus()) return;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TStatusLog::SaveLogTo(const QString& fileName) const
{
    QByteArray bytes;
    for (const QString& line : Lines())
        bytes += line.toUtf8() + "\r\n";
    // Written beside the target and put in its place only when complete, so
    // a failed save leaves an earlier log of that name as it was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Exception(
            QStringLiteral("Cannot write the log file \"%1\": %2").arg(fileName, file.errorString()));
}

void TStatusLog::Clear()
{
    Pending.clear();
    FlushTimer.stop();
    clear();
    LineCount = 0;
}

QStringList TStatusLog::Lines() const
{
    Flush();
    QStringList lines;
    if (LineCount == 0) return lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

QColor TStatusLog::LineColour(int index) const
{
    Flush();
    if (index < 0 || index >= LineCount) return LogInfoColour;
    const QTextBlock block = document()->findBlockByNumber(index);
    const QTextBlock::iterator first = block.begin();
    const QTextCharFormat format = first.atEnd() ? block.charFormat() : first.fragment().charFormat();
    return format.foreground().color();
}

bool SaveLogInteractively(const TStatusLog& log, QString& logFileName)
{
    QString name = logFileName;
    if (!InputQuery(QStringLiteral("Enter the name for the log file:"), name)) return false;
    logFileName = name;
    try {
        log.SaveLogTo(name);
        return true;
    } catch (const Exception&) {
        ShowMessageBox(QStringLiteral("An error occurred while saving the log file"), true);
        return false;
    }
}
