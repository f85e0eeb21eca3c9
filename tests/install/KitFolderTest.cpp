#include "install/KitFolder.h"

#include <gtest/gtest.h>

TEST(KitFolderTest, DriveAndDirectoryComeBeforeTheLeaf) {
    EXPECT_EQ(MakeSourceFolder("C:\\Tools\\Brenwick.exe", "PSIP"), "C:\\Tools\\PSIP");
    EXPECT_EQ(MakeSourceFolder("C:\\Tools\\Brenwick.exe", "Twain"), "C:\\Tools\\Twain");
    EXPECT_EQ(MakeSourceFolder("D:\\Brenwick.exe", "PSIP"), "D:\\PSIP");
    EXPECT_EQ(MakeSourceFolder("\\\\srv\\pub\\kit\\Brenwick.exe", "Twain"),
              "\\\\srv\\pub\\kit\\Twain");
    EXPECT_EQ(MakeSourceFolder("/opt/kit/Brenwick.exe", "PSIP"), "/opt/kit/PSIP");
}

// A module path with a prefix of the system's: run from a share, the kit is still beside it.
TEST(KitFolderTest, PrefixedModulePathsGiveThePlainFolder) {
    const struct {
        const char* modulePath;
        const char* folder;
    } rows[] = {
        {"\\\\?\\C:\\Tools\\Brenwick.exe", "C:\\Tools\\PSIP"},
        {"\\\\?\\UNC\\srv\\pub\\kit\\Brenwick.exe", "\\\\srv\\pub\\kit\\PSIP"},
        {"\\\\?\\unc\\srv\\pub\\Brenwick.exe", "\\\\srv\\pub\\PSIP"},
        {"UNC\\srv\\pub\\kit\\Brenwick.exe", "\\\\srv\\pub\\kit\\PSIP"},  // Wine
        {"\\??\\D:\\Brenwick.exe", "D:\\PSIP"},
        {"\\\\.\\UNC\\srv\\pub\\Brenwick.exe", "\\\\srv\\pub\\PSIP"},
        // A prefix before anything but a drive or a share stays: no plain path names it.
        {"\\\\?\\Volume{1234}\\kit\\Brenwick.exe", "\\\\?\\Volume{1234}\\kit\\PSIP"},
        {"\\\\?\\C:Brenwick.exe", "\\\\?\\PSIP"},
        {"\\\\?\\", "\\\\?\\PSIP"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MakeSourceFolder(row.modulePath, "PSIP"), row.folder) << row.modulePath;
    }
}

TEST(KitFolderTest, OddPathsStayWholeAndSafe) {
    // 表 is 0x95 0x5C: its second byte is no backslash.
    EXPECT_EQ(MakeSourceFolder("C:\\\x95\x5C\\Brenwick.exe", "PSIP"), "C:\\\x95\x5C\\PSIP");
    EXPECT_EQ(MakeSourceFolder("C:\\\x95\x5C"
                               "Brenwick.exe",
                               "PSIP"),
              "C:\\PSIP");
    EXPECT_EQ(MakeSourceFolder("", "PSIP"), "PSIP");
    EXPECT_EQ(MakeSourceFolder("Brenwick.exe", "Twain"), "Twain");
    EXPECT_EQ(MakeSourceFolder("C:Brenwick.exe", "PSIP"), "C:PSIP");
    const std::string deep = "\\\\srv\\" + std::string(5000, 'd') + "\\Brenwick.exe";
    EXPECT_EQ(MakeSourceFolder(deep, "PSIP"), "\\\\srv\\" + std::string(5000, 'd') + "\\PSIP");
}
