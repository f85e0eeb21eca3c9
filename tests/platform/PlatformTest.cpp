// The platform layer of the running system, on real files.

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/PeImage.h"
#include "support/TempFolder.h"

namespace {

class PlatformTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ClearFailures(); }
    TempFolder folder;
};

}  // namespace

TEST_F(PlatformTest, CopyCarriesBytesTimeAndReadOnlyState) {
    const std::string source = folder.Join({"source.xml"});
    const std::string target = folder.Join({"target.xml"});
    WriteBytes(source, "profile");
    ShiftWriteTime(source, -3600);
    SetReadOnly(source, true);
    ASSERT_TRUE(platform::CopyFileOver(source, target));
    EXPECT_EQ(ReadBytes(target), "profile");
    EXPECT_EQ(WriteTimeDifference(target, source), 0);
    EXPECT_TRUE(IsReadOnlyFile(target));
}

TEST_F(PlatformTest, CopyOverwritesButNeverOntoAReadOnlyTarget) {
    const std::string source = folder.Join({"source.xml"});
    const std::string target = folder.Join({"target.xml"});
    WriteBytes(source, "new");
    WriteBytes(target, "old");
    ASSERT_TRUE(platform::CopyFileOver(source, target));
    EXPECT_EQ(ReadBytes(target), "new");
    WriteBytes(target, "old");
    SetReadOnly(target, true);
    EXPECT_FALSE(platform::CopyFileOver(source, target));
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_FALSE(platform::CopyFileOver(source, folder.Join({"missing", "target.xml"})));
    EXPECT_EQ(FolderNames(folder.Path()), (std::vector<std::string>{"source.xml", "target.xml"}));
}

TEST_F(PlatformTest, ListsFilesAndFoldersAndTellsThemApart) {
    MakeFolder(folder.Join({"sub"}));
    WriteBytes(folder.Join({"file.txt"}), "x");
    std::vector<platform::FolderEntry> entries;
    ASSERT_TRUE(platform::ListFolder(folder.Path(), entries));
    int files = 0, folders = 0;
    for (const auto& entry : entries) {
        if (entry.name == "file.txt" && !entry.isDirectory) {
            ++files;
        }
        if (entry.name == "sub" && entry.isDirectory) {
            ++folders;
        }
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folders, 1);
    EXPECT_FALSE(platform::ListFolder(folder.Join({"missing"}), entries));
    EXPECT_TRUE(platform::IsExistingDirectory(folder.Join({"sub"})));
    EXPECT_FALSE(platform::IsExistingDirectory(folder.Join({"file.txt"})));
    EXPECT_FALSE(platform::IsExistingDirectory(folder.Join({"missing"})));
}

TEST_F(PlatformTest, MoveReplacesAnExistingFile) {
    WriteBytes(folder.Join({"a"}), "a");
    WriteBytes(folder.Join({"b"}), "b");
    ASSERT_TRUE(platform::MoveFileReplacing(folder.Join({"a"}), folder.Join({"b"})));
    EXPECT_EQ(ReadBytes(folder.Join({"b"})), "a");
    EXPECT_FALSE(Exists(folder.Join({"a"})));
    EXPECT_FALSE(platform::MoveFileReplacing(folder.Join({"a"}), folder.Join({"b"})));
}

TEST_F(PlatformTest, VersionResourceIsSeenInImagesOnly) {
    WriteBytes(folder.Join({"versioned.dll"}), VersionedFileBytes());
    WriteBytes(folder.Join({"plain.xml"}), "<profile/>");
    EXPECT_TRUE(platform::HasVersionResource(folder.Join({"versioned.dll"})));
    EXPECT_FALSE(platform::HasVersionResource(folder.Join({"plain.xml"})));
    EXPECT_FALSE(platform::HasVersionResource(folder.Join({"missing.dll"})));
}

TEST_F(PlatformTest, EnvironmentTextsAreReadAsTheyStand) {
    std::string value;
    SetEnvironment("BRENWICK_TEST_VALUE", "C:\\x");
    EXPECT_TRUE(platform::GetEnvironmentText("BRENWICK_TEST_VALUE", value));
    EXPECT_EQ(value, "C:\\x");
    UnsetEnvironment("BRENWICK_TEST_VALUE");
    EXPECT_FALSE(platform::GetEnvironmentText("BRENWICK_TEST_VALUE", value));
}

TEST_F(PlatformTest, TheSeamFailsTheChosenCallOnceOrFromThenOn) {
    const std::string path = folder.Join({"f"});
    WriteBytes(path, "x");
    std::string bytes;
    platform::FailCall(platform::Call::ReadFileForUpdate, 2);
    EXPECT_TRUE(platform::ReadFileForUpdate(path, bytes));
    EXPECT_FALSE(platform::ReadFileForUpdate(path, bytes));
    EXPECT_TRUE(platform::ReadFileForUpdate(path, bytes));
    platform::FailCall(platform::Call::ReadFileForUpdate, 1, true);
    EXPECT_FALSE(platform::ReadFileForUpdate(path, bytes));
    EXPECT_FALSE(platform::ReadFileForUpdate(path, bytes));
    platform::ClearFailures();
    EXPECT_TRUE(platform::ReadFileForUpdate(path, bytes));

    platform::RecordMessageBoxes(true);
    platform::ShowMessageBox("\x92\xCA\x92\xA0");
    EXPECT_EQ(platform::TakeRecordedMessageBoxes(), std::vector<std::string>{"\x92\xCA\x92\xA0"});
    platform::RecordMessageBoxes(false);
}
