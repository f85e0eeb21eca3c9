// Taking the passbook settings back off each driver, on disk.

#include "install/PsipSettings.h"
#include "install/TwainSettings.h"

#include "install/InstallFixture.h"
#include "install/PsipFixture.h"
#include "platform/Platform.h"
#include "support/FileBytes.h"

namespace {

class UninstallTest : public PsipFixture {
protected:
    std::string TwainList() { return ReadBytes(platform::JoinPath(TwainFolder(), "FTSLISTS.INI")); }

    // Each run predicted by a dry run; `result` its result.
    InstallReport InstallPsip(int& result) {
        return RunPredicted(
            [&](const InstallOptions& options, InstallReport& report) {
                return InstallPsipSettings(psipSource, options, report);
            },
            result);
    }
    InstallReport UninstallPsip(int& result) {
        return RunPredicted(
            [&](const InstallOptions& options, InstallReport& report) {
                return UninstallPsipSettings(psipSource, options, report);
            },
            result);
    }
    InstallReport RunTwain(bool install, int& result) {
        return RunPredicted(
            [&](const InstallOptions& options, InstallReport& report) {
                return install ? InstallTwainSettings(twainSource, options, report)
                               : UninstallTwainSettings(options, report);
            },
            result);
    }
};

}  // namespace

TEST_F(UninstallTest, PsipGivesTheFolderBackAsTheDriverShippedIt) {
    std::string full = "[Informations]\r\n";
    for (int slot = 1; slot <= 99; ++slot) {
        full += (slot < 10 ? "00000" : "0000") + std::to_string(slot) + "=p\r\n";
    }
    // A filled entry gets its empty value back; an added one loses its line.
    for (const std::string& list : {std::string("[Informations]\r\n000001=a\r\n000002=\r\n"
                                                "[Next]\r\nx=1\r\n"),
                                    full}) {
        WriteList(list);
        std::string flags(1008, '\0');
        flags[3] = '\x7E';
        WriteBytes(InPsip("Id.bin"), flags);
        int result = -1;
        InstallPsip(result);
        ASSERT_EQ(result, 0);
        ASSERT_NE(List(), list);
        InstallReport report = UninstallPsip(result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(report.action, SlotAction::Removed);
        EXPECT_EQ(List(), list);
        EXPECT_EQ(ReadBytes(InPsip("Id.bin")), flags);
        EXPECT_EQ(FolderNames(PsipFolder()),
                  (std::vector<std::string>{"Id.bin", "SettingInfo.ini"}));
        // Again: nothing registered, nothing written.
        report = UninstallPsip(result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(report.action, SlotAction::Absent);
        EXPECT_FALSE(report.Writes());
    }
}

TEST_F(UninstallTest, PsipKeepsWhatIsNotTheKitsAndUnregistersLast) {
    WriteList("[Informations]\r\n" + Entry("000005"));
    WriteBytes(InPsip("FTS_EX000005.xml"), "edited on this PC");
    std::string flags(1008, '\0');
    flags[13] = '\xFF';
    WriteBytes(InPsip("Id.bin"), flags);
    SetReadOnly(InPsip("Id.bin"), true);
    int result = 0;
    EXPECT_EQ(UninstallPsip(result).cause, FailureCause::FlagFileReadOnly);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(List(), "[Informations]\r\n" + Entry("000005"));  // still registered
    SetReadOnly(InPsip("Id.bin"), false);
    const InstallReport report = UninstallPsip(result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(List(), "[Informations]\r\n000005=\r\n");
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), "edited on this PC");
    EXPECT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(FlagByte(13), 0);
}

TEST_F(UninstallTest, TwainEmptiesEveryEntryOfTheTemplateAndKeepsTheFile) {
    const std::string list = "[TemplateLists]\r\n01=a.fts\r\n02=\r\n";
    MakeFolder(TwainFolder());
    WriteBytes(platform::JoinPath(TwainFolder(), "FTSLISTS.INI"), list);
    int result = -1;
    RunTwain(true, result);
    ASSERT_EQ(result, 0);
    EXPECT_EQ(RunTwain(false, result).action, SlotAction::Removed);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TwainList(), list);
    EXPECT_EQ(ReadBytes(platform::JoinPath(TwainFolder(), "bkbook_multi.fts")), "template");
    EXPECT_EQ(RunTwain(false, result).action, SlotAction::Absent);
    EXPECT_EQ(result, 0);
}

TEST_F(UninstallTest, PsipLowersNoFlagOfASlotAnotherLineHolds) {
    // Keys are slots by their number: "2", "000002 " and "000002" are one slot.
    const struct {
        std::string list;
        std::string after;
        bool lowered;
    } rows[] = {
        {"[Informations]\r\n" + Entry("2") + "000002=Other\r\n",
         "[Informations]\r\n2=\r\n000002=Other\r\n", false},
        {"[Informations]\r\n" + Entry("000002") + "000002 =Other\r\n",
         "[Informations]\r\n000002=\r\n000002 =Other\r\n", false},
        {"[Informations]\r\n" + Entry("000002") + Entry("2"), "[Informations]\r\n000002=\r\n2=\r\n",
         true},
        {"[Informations]\r\n" + Entry("000002") + ";000002=Other\r\n",
         "[Informations]\r\n000002=\r\n;000002=Other\r\n", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.list);
        WriteList(row.list);
        WriteBytes(InPsip("Id.bin"), std::string(10, '\0') + "\xFF" + std::string(997, '\0'));
        int result = -1;
        EXPECT_EQ(UninstallPsip(result).action, SlotAction::Removed);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(List(), row.after);
        EXPECT_EQ(FlagByte(10), row.lowered ? 0 : 0xFF);
    }
}
