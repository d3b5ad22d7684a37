#pragma once
#include <QColor>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <vector>

// The line the log starts with and the About box shows as its title.
QString ProgramVersionLine();

// The log's four colours.
inline const QColor LogErrorColour(255, 0, 0);
inline const QColor LogInfoColour(0, 0, 0);
inline const QColor LogReplyColour(0, 0, 255);
inline const QColor LogSuccessColour(0, 128, 0);

// The status log `Status` below the two panes: read-only, one colour per line.
// It follows the newest line unless the user has clicked into it (has focus),
// so a line being read does not run away.
class TStatusLog : public QPlainTextEdit {
    Q_OBJECT
public:
    // Starts with the version line and the two welcome lines.
    explicit TStatusLog(QWidget* parent = nullptr);

    // Trims text (blanks and control characters at both ends) and appends it
    // in colour; every line break (CR LF or a lone LF) starts a new log line
    // of the same colour.
    void AddLogLine(const QString& text, const QColor& colour);
    void LogError(const QString& text) { AddLogLine(text, LogErrorColour); }
    void LogInfo(const QString& text) { AddLogLine(text, LogInfoColour); }
    void LogReply(const QString& text) { AddLogLine(text, LogReplyColour); }
    void LogSuccess(const QString& text) { AddLogLine(text, LogSuccessColour); }

    // Writes every line, each ended by CR LF, replacing an existing file.
    // Throws Exception when the file cannot be written.
    void SaveLogTo(const QString& fileName) const;
    void Clear();

    QStringList Lines() const;
    // The colour line `index` was written in (black outside the log).
    QColor LineColour(int index) const;

    QSize sizeHint() const override;  // the designed height of 60 pixels

    // Puts the lines still waiting into the document now.
    void Flush() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct TPendingLine {
        QString Text;
        QColor Colour;
    };

    void AppendLine(const QString& line, const QColor& colour);
    void FollowNewestLine();
    int LineCount = 0;  // lines in the document, which always has a block, even when empty
    // Lines wait a moment and go into the document together, in one edit: a
    // tree transfer writes some ten lines per file, and every edit of the
    // document costs a layout pass, signals and a scroll.
    mutable std::vector<TPendingLine> Pending;
    QTimer FlushTimer;
};

// The "Save log" command: asks for the file name (offering logFileName) and
// saves. On OK the entered name becomes logFileName even when writing then
// fails, which is reported in an error box. True when the log was written.
bool SaveLogInteractively(const TStatusLog& log, QString& logFileName);
