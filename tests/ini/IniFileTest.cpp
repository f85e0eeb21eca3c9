// The line store against real files: what Load and Save leave on disk.

#include <gtest/gtest.h>

#include <filesystem>

#include "ini/INIRead.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/FileLock.h"
#include "support/TempFolder.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ClearFailures(); }

    TempFolder folder;
    const std::string path = folder.Join({"SettingInfo.ini"});
    const std::string original = "[Informations]\r\n000001=\r\n";
};

}  // namespace

TEST_F(IniFileTest, LoadsEditsAndSavesInPlace) {
    WriteBytes(path, original);
    CINIRead store;
    ASSERT_EQ(store.Load(path), 0);
    ASSERT_EQ(store.FillEmptyKey("[Informations]", "000001", "p"), 1);
    ASSERT_EQ(store.Save(path), 0);
    EXPECT_EQ(ReadBytes(path), "[Informations]\r\n000001=p\r\n");
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"SettingInfo.ini"});
}

TEST_F(IniFileTest, MissingOrReadOnlyFilesDoNotLoad) {
    CINIRead store;
    store.LoadBytes("kept\n");
    EXPECT_EQ(store.Load(path), -1);
    WriteBytes(path, original);
    SetReadOnly(path, true);
    EXPECT_EQ(store.Load(path), -1);
    EXPECT_EQ(store.SaveBytes(), "kept\r\n");
}

TEST_F(IniFileTest, SaveCreatesAMissingFileButNeverWritesAReadOnlyOne) {
    CINIRead store;
    store.LoadBytes("a\n");
    ASSERT_EQ(store.Save(path), 0);
    EXPECT_EQ(ReadBytes(path), "a\r\n");
    WriteBytes(path, original);
    SetReadOnly(path, true);
    EXPECT_EQ(store.Save(path), -1);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_TRUE(IsReadOnlyFile(path));
}

TEST_F(IniFileTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    WriteBytes(path, original);
    CINIRead store;
    store.LoadBytes("new\n");
    for (const platform::Call step :
         {platform::Call::WriteTemporaryFile, platform::Call::ReplaceWithTemporaryFile}) {
        platform::FailCall(step, 1);
        EXPECT_EQ(store.Save(path), -1);
        EXPECT_EQ(ReadBytes(path), original);
        EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"SettingInfo.ini"});
    }
    EXPECT_EQ(store.Save(path), 0);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
}

TEST_F(IniFileTest, AFileHeldByAnotherProgramIsNeitherLoadedNorSaved) {
    WriteBytes(path, original);
    CINIRead store;
    store.LoadBytes("new\n");
    {
        ExclusiveFileHold driver(path);
        ASSERT_TRUE(driver.IsHeld());
        EXPECT_EQ(store.Load(path), -1);
        EXPECT_EQ(store.Save(path), -1);
    }
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(store.Load(path), 0);
}

TEST_F(IniFileTest, SaveKeepsTheFilePermissions) {
    namespace fs = std::filesystem;
    WriteBytes(path, original);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms before = fs::status(path).permissions();
    CINIRead store;
    ASSERT_EQ(store.Load(path), 0);
    ASSERT_EQ(store.Save(path), 0);
    EXPECT_EQ(fs::status(path).permissions(), before);
}

TEST_F(IniFileTest, OnlyTheFileThatWasLoadedIsReplaced) {
    WriteBytes(path, original);
    CINIRead store;
    ASSERT_EQ(store.Load(path), 0);
    // Another file takes the name between the load and the save.
    const std::string swapped = folder.Join({"swapped"});
    WriteBytes(swapped, "[Informations]\r\n000001=theirs\r\n");
    std::filesystem::rename(swapped, path);
    EXPECT_EQ(store.Save(path), -1);
    EXPECT_EQ(store.LastFileStatus(), platform::FileStatus::Changed);
    EXPECT_EQ(ReadBytes(path), "[Informations]\r\n000001=theirs\r\n");
    std::filesystem::remove(path);
    EXPECT_EQ(store.Save(path), -1);
    EXPECT_FALSE(Exists(path));
}

TEST_F(IniFileTest, ALargeFileIsSavedWithItsEditsAndEveryLineEndInCrLf) {
    // Runs of CR LF lines longer than a piece is copied at, bare line feeds among them, a
    // filled entry in the middle and a new one at the end.
    std::string text = "[Informations]\r\n", expected = text;
    for (int number = 1; number <= 2000; ++number) {
        const std::string key = std::string(number < 1000 ? "000" : "00") + std::to_string(number);
        const std::string value = number == 1000 ? "" : "p";
        text += key + "=" + value + (number % 700 == 0 ? "\n" : "\r\n");
        expected += key + "=" + (number == 1000 ? "new" : value) + "\r\n";
    }
    WriteBytes(path, text);
    CINIRead store;
    ASSERT_EQ(store.Load(path), 0);
    ASSERT_EQ(store.FillEmptyKey("[Informations]", "001000", "new"), 1);
    std::string key;
    ASSERT_EQ(store.AppendInformationsKey("q", key), 1);
    ASSERT_EQ(store.Save(path), 0);
    EXPECT_EQ(ReadBytes(path), expected + key + "=q\r\n");
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"SettingInfo.ini"});
}
