#pragma once
// A local pane shown offscreen over a temporary tree of its own.
#include "views/local/FileListView.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

// Readable failures: texts print as text, not as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{' << texts.join(", ").toStdString() << '}';
}

// Sets an environment variable for its lifetime.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const QString& value);
    ~TScopedEnv();

private:
    const char* FName;
    QByteArray FOld;
    bool FHadOld;
};

class LocalView : public ::testing::Test {
protected:
    void SetUp() override;

    QString Path(const QString& relative) const { return Root.filePath(relative); }
    void MakeDir(const QString& relative);
    // Makes the file's folders too.
    void MakeFile(const QString& relative, const QByteArray& bytes = {});
    // Shows the view and opens folder (relative to the tree).
    void Open(const QString& relative = {});

    QStringList Captions() const;  // the rows, in order
    QString Cell(int row, int column) const;
    int Row(const QString& caption) const;  // -1 when not shown
    void Select(const QList<int>& rows);
    void SelectNamed(const QStringList& captions);

    QTemporaryDir Root;
    TFileListView View;
};
