// The fi-series TWAIN installer end to end on disk.

#include "install/TwainSettings.h"

#include "install/InstallFixture.h"
#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/Stranger.h"

namespace {

const std::string kFreeSlot05 =
    "[TemplateLists]\r\n01=a.fts\r\n02=b.fts\r\n03=c.fts\r\n04=d.fts\r\n05=\r\n06=\r\n";

class TwainSettingsTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        ShipKit();
    }
    static std::string ListIn(const std::string& folder) {
        return platform::JoinPath(folder, "FTSLISTS.INI");
    }
    static std::string TemplateIn(const std::string& folder) {
        return platform::JoinPath(folder, "bkbook_multi.fts");
    }
    void Prepare(const std::string& folder, const std::string& list) {
        MakeFolder(folder);
        WriteBytes(ListIn(folder), list);
    }
    // Runs the installer, predicted by a dry run; `expected` its result.
    InstallReport Install(int expected = 0) {
        int result = 0;
        const InstallReport report = RunPredicted(
            [&](const InstallOptions& options, InstallReport& run) {
                return InstallTwainSettings(twainSource, options, run);
            },
            result);
        EXPECT_EQ(result, expected);
        return report;
    }
    FailureCause CauseOfFailure() { return Install(-1).cause; }
};

}  // namespace

TEST_F(TwainSettingsTest, FillsTheFirstFreeSlotOfTheFirstCandidate) {
    Prepare(TwainFolder(), kFreeSlot05);
    Prepare(FallbackTwainFolder(), kFreeSlot05);
    // The folder not configured is named, so that nobody takes it for configured.
    const InstallReport report = Install();
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find(FallbackTwainFolder()), std::string::npos);
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())),
              "[TemplateLists]\r\n01=a.fts\r\n02=b.fts\r\n03=c.fts\r\n04=d.fts\r\n"
              "05=bkbook_multi.fts\r\n06=\r\n");
    EXPECT_EQ(ReadBytes(TemplateIn(TwainFolder())), "template");
    EXPECT_EQ(ReadBytes(ListIn(FallbackTwainFolder())), kFreeSlot05);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(TwainSettingsTest, FallsBackToTheWindowsFolderWhenTheFirstIsNoRealFolder) {
    const std::string fjtwain =
        platform::JoinPath(platform::JoinPath(commonAppData, "Fujitsu"), "Fjtwain");
    MakeFolder(fjtwain);
    WriteBytes(TwainFolder(), "a file, not a folder");
    Prepare(FallbackTwainFolder(), "[TemplateLists]\r\n02=\r\n");
    Install();
    EXPECT_EQ(ReadBytes(ListIn(FallbackTwainFolder())),
              "[TemplateLists]\r\n02=bkbook_multi.fts\r\n");
    EXPECT_TRUE(Exists(TemplateIn(FallbackTwainFolder())));
    EXPECT_TRUE(TakeBoxes().empty());

    // A link that another user made in place of a folder counts as no folder at all.
    const std::string outside = temp.Join({"outside"});
    Prepare(platform::JoinPath(outside, "FTS"), "[TemplateLists]\r\n01=\r\n");
    Prepare(FallbackTwainFolder(), "[TemplateLists]\r\n02=\r\n");
    RemoveTree(fjtwain);
    OpenToEveryone(platform::JoinPath(commonAppData, "Fujitsu"));
    if (AsStranger([&] { return MakeSymbolicLink(outside, fjtwain); })) {
        const auto before = TreeSnapshot(outside);
        Install();
        EXPECT_EQ(TreeSnapshot(outside), before);
        EXPECT_EQ(ReadBytes(ListIn(FallbackTwainFolder())),
                  "[TemplateLists]\r\n02=bkbook_multi.fts\r\n");
        EXPECT_TRUE(TakeBoxes().empty());
    }
}

TEST_F(TwainSettingsTest, ARegisteredTemplateIsSavedUnchangedAndAnUnregisteredOneFails) {
    const std::string registered = "[TemplateLists]\r\n01=\r\n07=BKBOOK_MULTI.FTS\r\n";
    Prepare(TwainFolder(), registered);
    const InstallReport report = Install();
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), registered);
    EXPECT_EQ(report.action, SlotAction::Reused);
    EXPECT_EQ(report.key, "07");

    // Nothing registered is no success: -1, and the list file stays byte for byte.
    std::string full = "[TemplateLists]\r\n";
    for (int slot = 1; slot <= 99; ++slot) {
        full += (slot < 10 ? "0" : "") + std::to_string(slot) + "=x.fts\r\n";
    }
    const struct {
        std::string list;
        FailureCause cause;
    } unregistered[] = {
        {full, FailureCause::NoFreeSlot},
        {"[Other]\r\n01=\r\n[TemplateLists]\r\n\r\n", FailureCause::ListSectionEmpty},
        {"[TemplateLists]\r\n;01=\r\n", FailureCause::ListSectionEmpty},
        {"[Other]\r\n01=\r\n", FailureCause::ListSectionMissing},
    };
    for (const auto& item : unregistered) {
        Prepare(TwainFolder(), item.list);
        const InstallReport failed = Install(-1);
        EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), item.list);
        EXPECT_EQ(failed.cause, item.cause);
        EXPECT_EQ(failed.failedFile, ListIn(TwainFolder()));
    }
}

TEST_F(TwainSettingsTest, OnlyATemplateInTheFolderIsRegistered) {
    // No kit and no template from before, or a copy that failed: nothing to register.
    Prepare(TwainFolder(), "[TemplateLists]\r\n01=\r\n");
    RemoveTree(twainSource);
    const InstallReport missingKit = Install(-1);
    EXPECT_EQ(missingKit.cause, FailureCause::TemplateMissing);
    EXPECT_EQ(missingKit.failedFile, TemplateIn(TwainFolder()));
    ShipKit();
    platform::FailCall(platform::Call::WriteKitFile, 1, true);
    Install(-1);
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), "[TemplateLists]\r\n01=\r\n");
    EXPECT_FALSE(Exists(TemplateIn(TwainFolder())));

    // A template from an earlier installation is registered all the same, but a copy that
    // failed fails the run in the end: the kit's template is not in place.
    WriteBytes(TemplateIn(TwainFolder()), "earlier");
    ShiftWriteTime(TemplateIn(TwainFolder()), -3600);
    EXPECT_EQ(Install(-1).cause, FailureCause::CopyFailed);
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), "[TemplateLists]\r\n01=bkbook_multi.fts\r\n");
    platform::ClearFailures();
    RemoveTree(twainSource);
    Prepare(TwainFolder(), "[TemplateLists]\r\n01=\r\n");
    Install();
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), "[TemplateLists]\r\n01=bkbook_multi.fts\r\n");
    EXPECT_EQ(ReadBytes(TemplateIn(TwainFolder())), "earlier");
}

TEST_F(TwainSettingsTest, AListFileThatCannotBeLoadedFailsAfterTheCopy) {
    MakeFolder(TwainFolder());
    EXPECT_EQ(CauseOfFailure(), FailureCause::ListFileMissing);
    EXPECT_FALSE(Exists(ListIn(TwainFolder())));
    EXPECT_TRUE(Exists(TemplateIn(TwainFolder())));

    WriteBytes(ListIn(TwainFolder()), "[TemplateLists]\r\n01=\r\n");
    SetReadOnly(ListIn(TwainFolder()), true);
    EXPECT_EQ(CauseOfFailure(), FailureCause::ListFileReadOnly);
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), "[TemplateLists]\r\n01=\r\n");
}

TEST_F(TwainSettingsTest, AFailedSaveReportsFailure) {
    Prepare(TwainFolder(), "[TemplateLists]\r\n01=\r\n");
    platform::FailCall(platform::Call::ReplaceWithTemporaryFile, 1);
    EXPECT_EQ(CauseOfFailure(), FailureCause::SaveFailed);
    EXPECT_EQ(ReadBytes(ListIn(TwainFolder())), "[TemplateLists]\r\n01=\r\n");
}

TEST_F(TwainSettingsTest, NoFolderWarnsOnceAndFails) {
    EXPECT_EQ(CauseOfFailure(), FailureCause::SettingsFolderMissing);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kTwainFolderMissing});

    // Without "windir" there is no fallback: nothing is copied anywhere.
    for (const char* windir : std::vector<const char*>{"", nullptr}) {
        windir ? SetEnvironment("windir", windir) : UnsetEnvironment("windir");
        Install(-1);
        EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kTwainFolderMissing});
    }
    EXPECT_FALSE(Exists(platform::JoinPath("", "twain_32")));

    platform::FailCall(platform::Call::GetCommonAppDataFolder, 1);
    Install(-1);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(TwainSettingsTest, AFolderChainAnotherUserMadeIsTheLastChoice) {
    // Users may make folders under the application-data folder: the fallback that the
    // system's folder holds comes first then, and a warning names the other.
    if (!PlantsAsAnotherUser()) {
        GTEST_SKIP() << "no other user to plant as";
    }
    OpenToEveryone(commonAppData);
    ASSERT_TRUE(AsStranger([&] {
        MakeFolder(TwainFolder());
        WriteBytes(ListIn(TwainFolder()), "[TemplateLists]\r\n01=\r\n");
        return true;
    }));
    const std::string fujitsu = platform::JoinPath(commonAppData, "Fujitsu");
    Prepare(FallbackTwainFolder(), "[TemplateLists]\r\n02=\r\n");
    const auto strangers = TreeSnapshot(fujitsu);
    InstallReport report = Install();
    EXPECT_EQ(report.settingsFolder, FallbackTwainFolder());
    EXPECT_EQ(TreeSnapshot(fujitsu), strangers);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find(platform::PathToUtf8(fujitsu)), std::string::npos);
    // With no other folder, the weaker one is used all the same, and said so.
    RemoveTree(platform::JoinPath(windowsFolder, "twain_32"));
    report = Install();
    EXPECT_EQ(report.settingsFolder, TwainFolder());
    ASSERT_EQ(report.warnings.size(), 1u);
}
