#include "app/InstallCommand.h"

#include "install/InstallFixture.h"
#include "platform/Platform.h"
#include "support/FileBytes.h"

namespace {

const std::string kCompleted =
    "\x83h\x83\x89\x83"
    "C\x83o\x90\xDD\x92\xE8\x82\xCC\x83"
    "C\x83\x93\x83X\x83g\x81[\x83\x8B"
    "\x82\xAA\x8A\xAE\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "B";
const std::string kFailedPrefix =
    "\x83h\x83\x89\x83"
    "C\x83o\x90\xDD\x92\xE8\x82\xCC\x83"
    "C\x83\x93\x83X\x83g\x81[\x83\x8B"
    "\x82\xC5\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "B(";

class InstallCommandTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        ShipKit();
        MakeFolder(PsipFolder());
        WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n000001=\r\n");
        WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
        MakeFolder(TwainFolder());
        WriteBytes(platform::JoinPath(TwainFolder(), "FTSLISTS.INI"), "[TemplateLists]\r\n01=\r\n");
    }
    bool PsipInstalled() { return Exists(InPsip("FTS_EX000001.xml")); }
    bool TwainInstalled() { return Exists(platform::JoinPath(TwainFolder(), "bkbook_multi.fts")); }
};

}  // namespace

TEST(InstallResultTextTest, SuccessAndEveryFailureHaveTheirText) {
    EXPECT_EQ(InstallResultText(0), kCompleted);
    EXPECT_EQ(kCompleted.size(), 42u);
    EXPECT_EQ(InstallResultText(-1), kFailedPrefix + "-1)");
    EXPECT_EQ(InstallResultText(7), kFailedPrefix + "7)");
    EXPECT_EQ(InstallResultText(-2147483647 - 1), kFailedPrefix + "-2147483648)");

    // The error box adds the reason, with the file's full path, under a blank line.
    InstallReport report;
    EXPECT_EQ(InstallOutcomeText(0, report), kCompleted);
    report.Fail(FailureCause::ListFileLocked, "C:\\FTS\\SettingInfo.ini");
    EXPECT_EQ(InstallOutcomeText(0, report), kCompleted);
    const std::string failed = InstallOutcomeText(-1, report);
    EXPECT_EQ(failed.substr(0, failed.find('\n')), kFailedPrefix + "-1)");
    EXPECT_EQ(failed.substr(failed.find('\n'), 2), "\n\n");
    EXPECT_NE(failed.find("\x81uC:\\FTS\\SettingInfo.ini\x81v"), std::string::npos);
    report.Fail(FailureCause::OutOfMemory, "");
    EXPECT_EQ(InstallOutcomeText(-1, report).find("\x81u"), std::string::npos);
}

TEST_F(InstallCommandTest, ChoiceZeroRunsOnlyThePaperStreamInstaller) {
    EXPECT_EQ(InstallSelectedDriver(0, psipSource, twainSource), 0);
    EXPECT_TRUE(PsipInstalled());
    EXPECT_FALSE(TwainInstalled());
}

TEST_F(InstallCommandTest, AnyOtherChoiceRunsOnlyTheTwainInstaller) {
    EXPECT_EQ(InstallSelectedDriver(1, psipSource, twainSource), 0);
    EXPECT_TRUE(TwainInstalled());
    EXPECT_FALSE(PsipInstalled());
    RemoveTree(TwainFolder());
    EXPECT_EQ(InstallSelectedDriver(-1, psipSource, twainSource), -1);
    EXPECT_FALSE(PsipInstalled());
}
