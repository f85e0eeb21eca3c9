// The PaperStream IP installer end to end on disk.

#include "install/PsipSettings.h"

#include "install/InstallFixture.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"

namespace {

const std::string kShipped = "<profile>shipped</profile>";

class PsipSettingsTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        ShipKit();
        MakeFolder(PsipFolder());
        WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
    }

    void WriteList(const std::string& text) { WriteBytes(InPsip("SettingInfo.ini"), text); }
    std::string List() { return ReadBytes(InPsip("SettingInfo.ini")); }
    unsigned char FlagByte(std::size_t offset) {
        return static_cast<unsigned char>(ReadBytes(InPsip("Id.bin")).at(offset));
    }
    std::string Entry(const std::string& key) { return key + "=" + kProfileName + "\r\n"; }
};

}  // namespace

TEST_F(PsipSettingsTest, FillsTheFirstFreeEntryByNumberAndFlagsItsSlot) {
    WriteList("[Informations]\r\n000001=other\r\n000007=\r\n000002=   \r\n[Next]\r\nx=1\r\n");
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    EXPECT_EQ(List(), "[Informations]\r\n000001=other\r\n000007=\r\n" + Entry("000002") +
                          "[Next]\r\nx=1\r\n");
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000002.xml")), kShipped);
    EXPECT_FALSE(Exists(InPsip("FTS_EX_BKBOOK.xml")));
    EXPECT_EQ(FlagByte(10), 0xFF);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")).size(), 1008u);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PsipSettingsTest, AListedProfileKeepsItsSlotAndTouchesNoFlag) {
    WriteList("[Informations]\r\n000001=\r\n" + Entry("000005"));
    WriteBytes(InPsip("FTS_EX000005.xml"), "old profile");
    RemoveTree(InPsip("Id.bin"));
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), kShipped);
    EXPECT_EQ(List(), "[Informations]\r\n000001=\r\n" + Entry("000005"));
    EXPECT_FALSE(Exists(InPsip("Id.bin")));

    // A second run from the same kit does the same again.
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), kShipped);
}

TEST_F(PsipSettingsTest, AppendsAfterTheLastEntryWhenTheFirst99AreTaken) {
    std::string list = "[Informations]\r\n";
    for (int slot = 1; slot <= 99; slot += 2) {  // odd slots taken, even ones absent
        list += (slot < 10 ? "00000" : "0000") + std::to_string(slot) + "=p\r\n";
    }
    list += "000120=p\r\n";
    WriteList(list);
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    EXPECT_EQ(List(), list + Entry("000121"));
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000121.xml")), kShipped);
    EXPECT_EQ(FlagByte(129), 0xFF);
}

TEST_F(PsipSettingsTest, ShortFlagFilesGrowAndLongOnesKeepTheirTail) {
    WriteList("[Informations]\r\n000003=\r\n");
    WriteBytes(InPsip("Id.bin"), "\x01\x02\x03\x04\x05");
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    std::string expected = "\x01\x02\x03\x04\x05" + std::string(1003, '\0');
    expected[11] = '\xFF';
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), expected);

    WriteList("[Informations]\r\n000004=\r\n");
    WriteBytes(InPsip("FTS_EX_BKBOOK.xml"), kShipped);
    std::string longFile(2000, '\x11');
    longFile[12] = '\xFF';
    WriteBytes(InPsip("Id.bin"), longFile);
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), longFile);  // byte 12 was raised already
}

TEST_F(PsipSettingsTest, AListFileThatCannotBeLoadedFailsAfterTheCopy) {
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX_BKBOOK.xml")), kShipped);
    EXPECT_FALSE(Exists(InPsip("SettingInfo.ini")));
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
}

TEST_F(PsipSettingsTest, AFailedCopyLeavesNoProfileToNameAndNothingRegistered) {
    const std::string list = "[Informations]\r\n000001=\r\n";
    WriteList(list);
    platform::FailCall(platform::Call::CopyFileInto, 1, true);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(List(), list);
    EXPECT_FALSE(Exists(InPsip("FTS_EX000001.xml")));
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
}

TEST_F(PsipSettingsTest, ASectionWithoutEntriesFailsAndChangesNothing) {
    const std::string list = "[Other]\r\na=1\r\n[Informations]\r\n\r\n";
    WriteList(list);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(List(), list);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX_BKBOOK.xml")), kShipped);
}

TEST_F(PsipSettingsTest, AFlagFileThatCannotBeUpdatedLeavesTheListUnsaved) {
    const std::string list = "[Informations]\r\n000001=\r\n";
    WriteList(list);
    SetReadOnly(InPsip("Id.bin"), true);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(List(), list);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000001.xml")), kShipped);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));

    SetReadOnly(InPsip("Id.bin"), false);
    RemoveTree(InPsip("Id.bin"));
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(List(), list);

    WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
    platform::FailCall(platform::Call::WriteTemporaryFile, 1);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
    EXPECT_EQ(List(), list);
}

TEST_F(PsipSettingsTest, AFailedSaveComesLastAndReportsFailure) {
    WriteList("[Informations]\r\n000001=\r\n");
    // The first replacement is the flag file's, the second the list file's.
    platform::FailCall(platform::Call::ReplaceWithTemporaryFile, 2);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(List(), "[Informations]\r\n000001=\r\n");
    EXPECT_EQ(FlagByte(9), 0xFF);
    EXPECT_TRUE(Exists(InPsip("FTS_EX000001.xml")));
}

TEST_F(PsipSettingsTest, TheInstalledProfileSurvivesAKitWithoutItOrAFailedRename) {
    WriteList("[Informations]\r\n" + Entry("000005"));
    WriteBytes(InPsip("FTS_EX000005.xml"), "installed");
    RemoveTree(psipSource);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), "installed");

    ShipKit();
    platform::FailCall(platform::Call::CopyFileInto, 2);  // the first is the mirroring's
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), "installed");
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX_BKBOOK.xml")), kShipped);
}

TEST_F(PsipSettingsTest, ASlotWithoutAFlagByteIsRefusedBeforeAnyChange) {
    const std::string list = "[Informations]\r\n000999=p\r\n";
    WriteList(list);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(List(), list);
    EXPECT_TRUE(Exists(InPsip("FTS_EX_BKBOOK.xml")));
    EXPECT_FALSE(Exists(InPsip("FTS_EX001000.xml")));
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
}

TEST_F(PsipSettingsTest, KeysFromTheFileMayBeLongButNeverLeadOutOfTheFolder) {
    const std::string longKey(40, '7');
    WriteList("[Informations]\r\n" + Entry(longKey));
    EXPECT_EQ(InstallPsipSettings(psipSource), 0);
    EXPECT_EQ(ReadBytes(InPsip(("FTS_EX" + longKey + ".xml").c_str())), kShipped);

    WriteList("[Informations]\r\n" + Entry("/../x") + Entry("\\..\\x"));
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_TRUE(Exists(InPsip("FTS_EX_BKBOOK.xml")));
}

TEST_F(PsipSettingsTest, MissingFoldersFailWithOrWithoutTheWarning) {
    RemoveTree(PsipFolder());
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kPsipFolderMissing});

    platform::FailCall(platform::Call::GetCommonAppDataFolder, 1);
    EXPECT_EQ(InstallPsipSettings(psipSource), -1);
    EXPECT_TRUE(TakeBoxes().empty());
}
