// The platform layer of the running system, on real files.

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/PeImage.h"
#include "support/Stranger.h"
#include "support/TempFolder.h"

namespace {

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::OpenFolder(folder.Path(), held), platform::FileStatus::Ok);
    }
    void TearDown() override { platform::ClearFailures(); }
    TempFolder folder;
    platform::Folder held;
};

}  // namespace

TEST_F(PlatformTest, CopyCarriesBytesTimeAndReadOnlyState) {
    const std::string source = folder.Join({"source.xml"});
    const std::string target = folder.Join({"target.xml"});
    WriteBytes(source, "profile");
    ShiftWriteTime(source, -3600);
    SetReadOnly(source, true);
    ASSERT_EQ(platform::CopyFileInto(source, held, "target.xml"), platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(target), "profile");
    EXPECT_EQ(WriteTimeDifference(target, source), 0);
    EXPECT_TRUE(IsReadOnlyFile(target));
}

TEST_F(PlatformTest, CopyOverwritesButNeverOntoAReadOnlyOrHiddenTarget) {
    const std::string source = folder.Join({"source.xml"});
    const std::string target = folder.Join({"target.xml"});
    const std::string hidden = folder.Join({".hidden.xml"});
    WriteBytes(source, "new");
    WriteBytes(target, "old");
    ASSERT_EQ(platform::CopyFileInto(source, held, "target.xml"), platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(target), "new");
    WriteBytes(target, "old");
    SetReadOnly(target, true);
    EXPECT_EQ(platform::CopyFileInto(source, held, "target.xml"), platform::FileStatus::ReadOnly);
    EXPECT_EQ(ReadBytes(target), "old");
    WriteBytes(hidden, "old");
    SetHidden(hidden);
    EXPECT_EQ(platform::CopyFileInto(source, held, ".hidden.xml"), platform::FileStatus::Hidden);
    EXPECT_EQ(ReadBytes(hidden), "old");
    EXPECT_EQ(platform::CopyFileInto(source, held, ".hidden.xml", platform::HiddenTarget::Replace),
              platform::FileStatus::Ok);
    EXPECT_EQ(ReadBytes(hidden), "new");
    EXPECT_EQ(FolderNames(folder.Path()),
              (std::vector<std::string>{".hidden.xml", "source.xml", "target.xml"}));
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

TEST_F(PlatformTest, RemoveTakesAwayEvenAReadOnlyFile) {
    WriteBytes(folder.Join({"a"}), "a");
    SetReadOnly(folder.Join({"a"}), true);
    EXPECT_EQ(platform::RemoveFile(held, "a"), platform::FileStatus::Ok);
    EXPECT_FALSE(Exists(folder.Join({"a"})));
    EXPECT_EQ(platform::RemoveFile(held, "a"), platform::FileStatus::Missing);
}

TEST_F(PlatformTest, VersionResourceIsSeenInImagesOnly) {
    WriteBytes(folder.Join({"versioned.dll"}), VersionedFileBytes());
    WriteBytes(folder.Join({"plain.xml"}), "<profile/>");
    EXPECT_TRUE(platform::HasVersionResource(held, "versioned.dll"));
    EXPECT_FALSE(platform::HasVersionResource(held, "plain.xml"));
    EXPECT_FALSE(platform::HasVersionResource(held, "missing.dll"));
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
    WriteBytes(folder.Join({"f"}), "x");
    std::string bytes;
    platform::FileIdentity identity;
    const auto read = [&] {
        return platform::ReadFileForUpdate(held, "f", bytes, identity) == platform::FileStatus::Ok;
    };
    platform::FailCall(platform::Call::ReadFileForUpdate, 2);
    EXPECT_TRUE(read());
    EXPECT_FALSE(read());
    EXPECT_TRUE(read());
    platform::FailCall(platform::Call::ReadFileForUpdate, 1, true);
    EXPECT_FALSE(read());
    EXPECT_FALSE(read());
    platform::ClearFailures();
    EXPECT_TRUE(read());

    platform::RecordMessageBoxes(true);
    platform::ShowMessageBox("\x92\xCA\x92\xA0");
    EXPECT_EQ(platform::TakeRecordedMessageBoxes(), std::vector<std::string>{"\x92\xCA\x92\xA0"});
    platform::RecordMessageBoxes(false);
}

TEST_F(PlatformTest, FoldersAreEnteredOneRealFolderAtATimeAndHeld) {
    MakeFolder(folder.Join({"a", "b"}));
    WriteBytes(folder.Join({"a", "file"}), "x");
    platform::Folder opened, other;
    ASSERT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "b"}, opened),
              platform::FileStatus::Ok);
    EXPECT_EQ(opened.Path(), folder.Join({"a", "b"}));
    EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "file"}, other),
              platform::FileStatus::Missing);
    EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"a", "none"}, other),
              platform::FileStatus::Missing);
    EXPECT_FALSE(other.IsOpen());
    if (MakeSymbolicLink(folder.Join({"a"}), folder.Join({"link"}))) {
        EXPECT_EQ(platform::OpenFolderBeneath(folder.Path(), {"link", "b"}, other),
                  platform::FileStatus::Unsafe);
    }
    std::error_code error;
    std::filesystem::rename(folder.Join({"a"}), folder.Join({"moved"}), error);
#ifdef _WIN32
    EXPECT_TRUE(error) << "a held folder cannot be renamed";
#else
    // Renamed or not, names are resolved in the folder that was entered.
    EXPECT_EQ(platform::CheckRegularFile(opened, "missing"), platform::FileStatus::Missing);
    WriteBytes(folder.Join({"moved", "b", "f"}), "x");
    EXPECT_EQ(platform::CheckRegularFile(opened, "f"), platform::FileStatus::Ok);
#endif
}
