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
