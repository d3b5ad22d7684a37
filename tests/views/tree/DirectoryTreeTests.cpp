#include "views/tree/DirContents.h"
#include "views/tree/Directory.h"
#include "views/tree/DirectoryList.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TDirectory> Dir(const QString& name)
{
    return std::make_unique<TDirectory>(name);
}

TEST(DirectoryTree, EmptinessCountsFilesAndSubdirectories)
{
    TDirectory dir("top");
    EXPECT_TRUE(dir.IsEmpty());
    dir.Contents.Files << "a.txt";
    EXPECT_FALSE(dir.IsEmpty());
    TDirectory other("other");
    other.Contents.AddDirectory(Dir("sub"));
    EXPECT_FALSE(other.IsEmpty());
}

TEST(DirectoryTree, ContentsKeepEveryDirectoryInPlaceAndRefuseHoles)
{
    TDirContents contents;
    EXPECT_EQ(contents.AddDirectory(Dir("a")), 0);
    EXPECT_EQ(contents.AddDirectory(Dir("b")), 1);
    EXPECT_EQ(contents.AddDirectory(Dir("c")), 2);
    EXPECT_EQ(contents.AddDirectory(nullptr), -1);
    EXPECT_EQ(contents.GetDirectory(-1), nullptr);
    EXPECT_EQ(contents.GetDirectory(3), nullptr);

    contents.DeleteDirectory(1);
    contents.DeleteDirectory(7);  // outside: nothing
    ASSERT_EQ(contents.DirectoryCount(), 2);
    EXPECT_EQ(contents.GetDirectory(1)->Name, "c");

    // A placeholder replaced by the tree learnt later, as the download walk does.
    auto learnt = Dir("c");
    learnt->Contents.Files << "x.bin";
    EXPECT_TRUE(contents.ReplaceDirectory(1, std::move(learnt)));
    EXPECT_EQ(contents.GetDirectory(1)->Contents.Files, QStringList{"x.bin"});
    EXPECT_FALSE(contents.ReplaceDirectory(1, nullptr));
    EXPECT_FALSE(contents.ReplaceDirectory(2, Dir("far")));
    EXPECT_EQ(contents.DirectoryCount(), 2);
    EXPECT_EQ(contents.GetDirectory(1)->Contents.Files, QStringList{"x.bin"});
}

TEST(DirectoryTree, ListWithoutOwnershipLeavesItsDirectoriesAlive)
{
    TDirectory root("root");
    root.Contents.AddDirectory(Dir("a"));
    root.Contents.AddDirectory(Dir("b"));
    {
        // The parent stack of a walk points into a tree that someone else owns.
        TDirectoryList stack(false);
        EXPECT_FALSE(stack.OwnsItems());
        stack.Add(&root);
        stack.Add(root.Contents.GetDirectory(1));
        EXPECT_EQ(stack.Add(nullptr), -1);
        stack.Delete(1);
        EXPECT_EQ(stack.Count(), 1);
        stack.Add(root.Contents.GetDirectory(0));
        stack.Clear();
        stack.Add(root.Contents.GetDirectory(0));
    }
    ASSERT_EQ(root.Contents.DirectoryCount(), 2);
    EXPECT_EQ(root.Contents.GetDirectory(0)->Name, "a");
    EXPECT_EQ(root.Contents.GetDirectory(1)->Name, "b");
}

TEST(DirectoryTree, OwningListIndexesLikeAList)
{
    TDirectoryList jobs(true);
    EXPECT_TRUE(jobs.OwnsItems());
    EXPECT_EQ(jobs.Add(Dir("one").release()), 0);
    EXPECT_EQ(jobs.Add(Dir("two").release()), 1);
    EXPECT_EQ(jobs.Add(Dir("three").release()), 2);
    EXPECT_EQ(jobs.Get(3), nullptr);
    EXPECT_EQ(jobs.Get(-1), nullptr);
    jobs.Delete(0);
    jobs.Delete(5);
    ASSERT_EQ(jobs.Count(), 2);
    EXPECT_EQ(jobs.Get(0)->Name, "two");
    jobs.Clear();
    EXPECT_EQ(jobs.Count(), 0);
    jobs.Add(Dir("left for the destructor").release());
}

}  // namespace
