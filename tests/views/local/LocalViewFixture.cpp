#include "LocalViewFixture.h"
#include "support/SelectRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TScopedEnv::TScopedEnv(const char* name, const QString& value)
    : FName(name), FOld(qgetenv(name)), FHadOld(qEnvironmentVariableIsSet(name))
{
    qputenv(name, value.toUtf8());
}

TScopedEnv::~TScopedEnv()
{
    if (FHadOld)
        qputenv(FName, FOld);
    else
        qunsetenv(FName);
}

void LocalView::SetUp()
{
    ASSERT_TRUE(Root.isValid());
    View.resize(500, 400);
}

void LocalView::MakeDir(const QString& relative)
{
    ASSERT_TRUE(QDir().mkpath(Path(relative))) << relative.toStdString();
}

void LocalView::MakeFile(const QString& relative, const QByteArray& bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(Path(relative)).path()));
    QFile file(Path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void LocalView::Open(const QString& relative)
{
    View.SetDirectory(QDir::cleanPath(Path(relative)));
    View.show();
    ASSERT_EQ(View.Directory(), QDir::cleanPath(Path(relative)));
}

QStringList LocalView::Captions() const
{
    QStringList captions;
    for (int row = 0; row < View.model()->rowCount(); ++row)
        captions << Cell(row, 0);
    return captions;
}

QString LocalView::Cell(int row, int column) const
{
    return View.model()->index(row, column).data().toString();
}

int LocalView::Row(const QString& caption) const
{
    return int(Captions().indexOf(caption));
}

void LocalView::Select(const QList<int>& rows)
{
    SelectRows(View, rows);
}

void LocalView::SelectNamed(const QStringList& captions)
{
    QList<int> rows;
    for (const QString& caption : captions) {
        rows << Row(caption);
        ASSERT_GE(rows.last(), 0) << caption.toStdString();
    }
    Select(rows);
}
