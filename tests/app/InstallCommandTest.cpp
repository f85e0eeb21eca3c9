#include "app/InstallCommand.h"

#include "install/InstallFixture.h"
#include "platform/Platform.h"
#include "support/FileBytes.h"

namespace {

const std::string kCompleted = "ドライバ設定のインストールが完了しました。";
const std::string kFailedPrefix = "ドライバ設定のインストールでエラーが発生しました。(";

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
    EXPECT_NE(failed.find("「C:\\FTS\\SettingInfo.ini」"), std::string::npos);
    report.Fail(FailureCause::OutOfMemory, "");
    EXPECT_EQ(InstallOutcomeText(-1, report).find("「"), std::string::npos);
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
