// Folder mirroring on real files.

#include "install/FolderMirror.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/PeImage.h"
#include "support/TempFolder.h"

namespace {

class FolderMirrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFolder(source);
        MakeFolder(target);
    }
    void TearDown() override { platform::ClearFailures(); }

    std::string Source(const char* name) const { return platform::JoinPath(source, name); }
    std::string Target(const char* name) const { return platform::JoinPath(target, name); }

    // A source file and a target file of the same name, the target `targetAge` seconds
    // newer than the source (negative: older).
    void SourceAndTarget(const char* name, const std::string& targetBytes, long long targetAge) {
        WriteBytes(Source(name), "source");
        WriteBytes(Target(name), targetBytes);
        ShiftWriteTime(Source(name), -7200);
        ShiftWriteTime(Target(name), -7200);
        ShiftWriteTime(Target(name), WriteTimeDifference(Source(name), Target(name)) + targetAge);
    }

    TempFolder temp;
    const std::string source = temp.Join({"PSIP"});
    const std::string target = temp.Join({"FTS"});
};

}  // namespace

TEST_F(FolderMirrorTest, MissingOrEmptySourcesCountAsDone) {
    EXPECT_EQ(CopyFolderFiles(temp.Join({"missing"}), target), 1);
    EXPECT_EQ(CopyFolderFiles(source, target), 1);
    EXPECT_TRUE(FolderNames(target).empty());
}

TEST_F(FolderMirrorTest, CopiesPlainFilesOnlyOneLevelDeep) {
    MakeFolder(Source("sub"));
    WriteBytes(platform::JoinPath(Source("sub"), "inner.xml"), "x");
    WriteBytes(Source("THUMBS.DB"), "x");
    WriteBytes(Source("Thumbs.db.bak"), "x");
    WriteBytes(Source(".hidden"), "x");
    WriteBytes(Source("FTS_EX_BKBOOK.xml"), "profile");
    EXPECT_EQ(CopyFolderFiles(source, target), 1);
    EXPECT_EQ(FolderNames(target),
              (std::vector<std::string>{".hidden", "FTS_EX_BKBOOK.xml", "Thumbs.db.bak"}));
    EXPECT_EQ(ReadBytes(Target("FTS_EX_BKBOOK.xml")), "profile");
}

TEST_F(FolderMirrorTest, KeepsOnlyUnversionedTargetsWrittenInALaterSecond) {
    SourceAndTarget("newer.xml", "edited here", 1);
    SourceAndTarget("same.xml", "target", 0);
    SourceAndTarget("older.xml", "target", -5);
    SourceAndTarget("versioned.dll", VersionedFileBytes(), 3600);
    EXPECT_EQ(CopyFolderFiles(source, target), 1);
    EXPECT_EQ(ReadBytes(Target("newer.xml")), "edited here");
    EXPECT_EQ(ReadBytes(Target("same.xml")), "source");
    EXPECT_EQ(ReadBytes(Target("older.xml")), "source");
    EXPECT_EQ(ReadBytes(Target("versioned.dll")), "source");
    // A copy carries the source's time: a second run copies every file again.
    EXPECT_EQ(WriteTimeDifference(Target("same.xml"), Source("same.xml")), 0);
}

TEST_F(FolderMirrorTest, StopsAtTheFirstFailedCopy) {
    for (const char* name : {"1.xml", "2.xml", "3.xml", "4.xml", "5.xml"}) {
        WriteBytes(Source(name), name);
    }
    platform::FailCall(platform::Call::WriteKitFile, 3);
    EXPECT_EQ(CopyFolderFiles(source, target), 0);
    EXPECT_EQ(FolderNames(target).size(), 2u);

    platform::ClearFailures();
    EXPECT_EQ(CopyFolderFiles(source, temp.Join({"no-such-folder"})), 0);
}

TEST_F(FolderMirrorTest, AReadOnlyTargetFailsTheCopy) {
    SourceAndTarget("profile.xml", "target", -5);
    SetReadOnly(Target("profile.xml"), true);
    EXPECT_EQ(CopyFileIfNeeded(Target("profile.xml"), Source("profile.xml")), 0);
    EXPECT_EQ(ReadBytes(Target("profile.xml")), "target");
}
