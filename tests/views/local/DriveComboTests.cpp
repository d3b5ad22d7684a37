// The volume box picks the volume a path lies on; its volumes are made up,
// the box never looks at the disk. (Returning to the folder last used on a
// volume is tested through the main window.)
#include "views/local/DriveCombo.h"

#include <gtest/gtest.h>

namespace {

TEST(DriveCombo, APathSelectsTheVolumeWithTheLongestMountPointPrefixOnce)
{
    TDriveCombo box;
    box.SetVolumeSource([] { return QList<TLocalVolume>{{"/", ""}, {"/mnt", ""}, {"/mnt/data", "Data"}}; });
    QStringList calls;
    box.OnDriveChange = [&](TDriveCombo*, const QString& drive, const QString& path, QString& save) {
        calls << drive + " " + path + " save " + save;
    };
    box.SelectDrive("/mnt/data/photos");  // not filled yet: it waits
    box.show();
    ASSERT_EQ(box.itemText(2), "Data (/mnt/data)");
    EXPECT_EQ(calls, QStringList{"/mnt/data /mnt/data save "});

    const struct {
        const char* Path;
        const char* Root;
        bool Changes;
    } cases[] = {
        {"/mnt/data", "/mnt/data", false},  // on it already
        {"/mnt/database", "/mnt", true},    // only begins like it
        {"/home/user", "/", true},
        {"relative/path", "/", false},  // on no volume
    };
    for (const auto& c : cases) {
        calls.clear();
        box.SelectDrive(c.Path);
        EXPECT_EQ(box.CurrentRoot(), c.Root) << c.Path;
        EXPECT_EQ(calls.size(), c.Changes ? 1 : 0) << c.Path;
    }
}

}  // namespace
