// The PaperStream IP installer end to end on disk.

#include "install/PsipSettings.h"

#include <filesystem>
#include <functional>

#include "install/InstallFixture.h"
#include "install/PsipFixture.h"
#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/FileLock.h"
#include "support/Stranger.h"

namespace {

const std::string kShipped = "<profile>shipped</profile>";

class PsipSettingsTest : public PsipFixture {
protected:
    // Runs the installer, predicted by a dry run, and gives its report, with its result in
    // `result`.
    InstallReport Install(int& result, bool steered = false) {
        return RunPredicted(
            [&](const InstallOptions& options, InstallReport& report) {
                return InstallPsipSettings(psipSource, options, report);
            },
            result, steered);
    }
    int Result() {
        int result = 0;
        Install(result);
        return result;
    }
    FailureCause CauseOfFailure() {
        int result = 0;
        const InstallReport report = Install(result);
        EXPECT_EQ(result, -1);
        return report.cause;
    }
};

}  // namespace

TEST_F(PsipSettingsTest, FillsTheFirstFreeEntryByNumberAndFlagsItsSlot) {
    WriteList("[Informations]\r\n000001=other\r\n000007=\r\n000002=   \r\n[Next]\r\nx=1\r\n");
    int result = -1;
    const InstallReport report = Install(result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(report.action, SlotAction::Filled);
    EXPECT_EQ(report.key, "000002");
    EXPECT_EQ(report.cause, FailureCause::None);
    EXPECT_EQ(List(), "[Informations]\r\n000001=other\r\n000007=\r\n" + Entry("000002") +
                          "[Next]\r\nx=1\r\n");
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000002.xml")), kShipped);
    EXPECT_FALSE(Exists(InPsip("FTS_EX_BKBOOK.xml")));
    EXPECT_EQ(FlagByte(10), 0xFF);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")).size(), 1008u);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PsipSettingsTest, AListedProfileKeepsItsSlotAndASecondRunWritesNothing) {
    WriteList("[Informations]\r\n000001=\r\n" + Entry("000005"));
    WriteBytes(InPsip("FTS_EX000005.xml"), "old profile");
    RemoveTree(InPsip("Id.bin"));
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), kShipped);
    EXPECT_EQ(List(), "[Informations]\r\n000001=\r\n" + Entry("000005"));
    EXPECT_FALSE(Exists(InPsip("Id.bin")));  // a listed profile needs none

    // Installed: the next run, even from a read-only kit profile, has nothing to do.
    SetReadOnly(platform::JoinPath(psipSource, "FTS_EX_BKBOOK.xml"), true);
    int result = -1;
    EXPECT_FALSE(Install(result).Writes());
    EXPECT_EQ(result, 0);
    WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
    RemoveTree(InPsip("FTS_EX000005.xml"));
    EXPECT_EQ(Result(), 0);
    EXPECT_TRUE(IsReadOnlyFile(InPsip("FTS_EX000005.xml")));
    EXPECT_EQ(FlagByte(13), 0xFF);  // a flag file there gets the listed slot's flag raised
    EXPECT_FALSE(Install(result).Writes());
    EXPECT_EQ(result, 0);
    SetReadOnly(InPsip("FTS_EX000005.xml"), false);
}

TEST_F(PsipSettingsTest, AppendsAfterTheLastEntryWhenTheFirst99AreTaken) {
    std::string list = "[Informations]\r\n";
    for (int slot = 1; slot <= 99; slot += 2) {  // odd slots taken, even ones absent
        list += (slot < 10 ? "00000" : "0000") + std::to_string(slot) + "=p\r\n";
    }
    list += "000120=p\r\n";
    WriteList(list);
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(List(), list + Entry("000121"));
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000121.xml")), kShipped);
    EXPECT_EQ(FlagByte(129), 0xFF);
}

TEST_F(PsipSettingsTest, ShortFlagFilesGrowAndLongOnesKeepTheirTail) {
    WriteList("[Informations]\r\n000003=\r\n");
    WriteBytes(InPsip("Id.bin"), "\x01\x02\x03\x04\x05");
    EXPECT_EQ(Result(), 0);
    std::string expected = "\x01\x02\x03\x04\x05" + std::string(1003, '\0');
    expected[11] = '\xFF';
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), expected);

    WriteList("[Informations]\r\n000004=\r\n");
    WriteBytes(InPsip("FTS_EX_BKBOOK.xml"), kShipped);
    std::string longFile(2000, '\x11');
    longFile[12] = '\xFF';
    WriteBytes(InPsip("Id.bin"), longFile);
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), longFile);  // byte 12 was raised already
}

TEST_F(PsipSettingsTest, AListFileThatCannotBeLoadedFailsAndChangesNothing) {
    // The kit's profile is never copied under its shipped name: its place is the slot's.
    EXPECT_EQ(CauseOfFailure(), FailureCause::ListFileMissing);
    EXPECT_FALSE(Exists(InPsip("FTS_EX_BKBOOK.xml")));
    EXPECT_FALSE(Exists(InPsip("SettingInfo.ini")));
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));

    const std::string list = "[Informations]\r\n000001=\r\n";
    WriteList(list);
    SetReadOnly(InPsip("SettingInfo.ini"), true);
    EXPECT_EQ(CauseOfFailure(), FailureCause::ListFileReadOnly);
    SetReadOnly(InPsip("SettingInfo.ini"), false);
    {
        ExclusiveFileHold driver(InPsip("SettingInfo.ini"));
        EXPECT_EQ(CauseOfFailure(), FailureCause::ListFileLocked);
    }
    EXPECT_EQ(List(), list);
}

TEST_F(PsipSettingsTest, AFailedCopyLeavesNoProfileToNameAndNothingRegistered) {
    const std::string list = "[Informations]\r\n000001=\r\n";
    WriteList(list);
    platform::FailCall(platform::Call::WriteKitFile, 1, true);
    EXPECT_EQ(CauseOfFailure(), FailureCause::ProfileRenameFailed);
    EXPECT_EQ(List(), list);
    EXPECT_FALSE(Exists(InPsip("FTS_EX000001.xml")));
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
}

TEST_F(PsipSettingsTest, ASectionWithoutEntriesFailsAndChangesNothing) {
    const std::string list = "[Other]\r\na=1\r\n[Informations]\r\n\r\n";
    WriteList(list);
    EXPECT_EQ(CauseOfFailure(), FailureCause::ListSectionEmpty);
    EXPECT_EQ(List(), list);
    EXPECT_EQ(FolderNames(PsipFolder()), (std::vector<std::string>{"Id.bin", "SettingInfo.ini"}));
}

TEST_F(PsipSettingsTest, AFlagFileThatCannotBeUpdatedLeavesTheListUnsaved) {
    const std::string list = "[Informations]\r\n000001=\r\n";
    WriteList(list);
    SetReadOnly(InPsip("Id.bin"), true);
    EXPECT_EQ(CauseOfFailure(), FailureCause::FlagFileReadOnly);
    EXPECT_EQ(List(), list);
    EXPECT_FALSE(Exists(InPsip("FTS_EX000001.xml")));  // a foreseen stop places nothing
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));

    SetReadOnly(InPsip("Id.bin"), false);
    RemoveTree(InPsip("Id.bin"));
    EXPECT_EQ(CauseOfFailure(), FailureCause::FlagFileMissing);
    EXPECT_EQ(List(), list);

    WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
    platform::FailCall(platform::Call::WriteTemporaryFile, 1);
    EXPECT_EQ(CauseOfFailure(), FailureCause::FlagFileIo);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
    EXPECT_EQ(List(), list);
}

TEST_F(PsipSettingsTest, AFailedSaveComesLastAndReportsFailure) {
    WriteList("[Informations]\r\n000001=\r\n");
    // The first replacement is the flag file's, the second the list file's.
    platform::FailCall(platform::Call::ReplaceWithTemporaryFile, 2);
    EXPECT_EQ(CauseOfFailure(), FailureCause::SaveFailed);
    EXPECT_EQ(List(), "[Informations]\r\n000001=\r\n");
    EXPECT_EQ(FlagByte(9), 0xFF);
    EXPECT_TRUE(Exists(InPsip("FTS_EX000001.xml")));
}

TEST_F(PsipSettingsTest, TheInstalledProfileSurvivesAKitWithoutItOrAFailedRename) {
    WriteList("[Informations]\r\n" + Entry("000005"));
    WriteBytes(InPsip("FTS_EX000005.xml"), "installed");
    RemoveTree(psipSource);
    EXPECT_EQ(CauseOfFailure(), FailureCause::KitFileMissing);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), "installed");

    ShipKit();
    platform::FailCall(platform::Call::WriteKitFile, 1);
    EXPECT_EQ(CauseOfFailure(), FailureCause::ProfileRenameFailed);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), "installed");

    // A read-only slot profile is not replaced, on either system, and nothing after it runs.
    const std::string list = "[Informations]\r\n000005=\r\n";
    WriteList(list);
    SetReadOnly(InPsip("FTS_EX000005.xml"), true);
    EXPECT_EQ(CauseOfFailure(), FailureCause::ProfileRenameFailed);
    EXPECT_EQ(ReadBytes(InPsip("FTS_EX000005.xml")), "installed");
    EXPECT_EQ(List(), list);
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
}

TEST_F(PsipSettingsTest, ASlotWithoutAFlagByteIsRefusedBeforeAnyChange) {
    const std::string list = "[Informations]\r\n000999=p\r\n";
    WriteList(list);
    EXPECT_EQ(CauseOfFailure(), FailureCause::SlotOutOfRange);
    WriteList("[Informations]\r\n99999999999999999999=p\r\n");  // no number left above it
    EXPECT_EQ(CauseOfFailure(), FailureCause::SlotOutOfRange);
    WriteList(list);
    EXPECT_EQ(List(), list);
    EXPECT_FALSE(Exists(InPsip("FTS_EX001000.xml")));
    EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0'));
}

TEST_F(PsipSettingsTest, KeysFromTheFileMayBeLongButNeverLeadOutOfTheFolder) {
    const std::string longKey(40, '7');
    WriteList("[Informations]\r\n" + Entry(longKey));
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(ReadBytes(InPsip(("FTS_EX" + longKey + ".xml").c_str())), kShipped);

    // A separator byte anywhere, also as the trail byte of "表" (0x95 0x5C).
    // A key that names the shipped profile, in any letter case, or a short name ("~1").
    for (const char* key : {"/../x", "\\..\\x", "\x95\x5C", "a\x81/", "_BKBOOK", "_bkBook", "~1"}) {
        WriteList("[Informations]\r\n" + Entry(key));
        EXPECT_EQ(CauseOfFailure(), FailureCause::SlotKeyUnsafe) << key;
    }
}

TEST_F(PsipSettingsTest, MissingFoldersFailWithOrWithoutTheWarning) {
    RemoveTree(PsipFolder());
    int result = 0;
    const InstallReport report = Install(result);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(report.cause, FailureCause::SettingsFolderMissing);
    EXPECT_EQ(report.failedFile, PsipFolder());
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kPsipFolderMissing});

    platform::FailCall(platform::Call::GetCommonAppDataFolder, 1);
    EXPECT_EQ(CauseOfFailure(), FailureCause::SettingsFolderMissing);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PsipSettingsTest, ACrashLeavesNoTemporaryFileBehindAfterTheNextRun) {
    const std::string list = "[Informations]\r\n000001=\r\n";
    const std::vector<std::string> crashFree = {"FTS_EX000001.xml", "Id.bin", "SettingInfo.ini"};
    // The first replacement is the flag file's, the second the list file's.
    for (const int nth : {1, 2}) {
        WriteList(list);
        WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
        RemoveTree(InPsip("FTS_EX000001.xml"));
        platform::FailCall(platform::Call::CrashBeforeReplace, nth);
        EXPECT_EQ(Result(), -1);
        EXPECT_EQ(FolderNames(PsipFolder()).size(), crashFree.size() + 1) << "the crash's leftover";
        WriteList(list);
        EXPECT_EQ(Result(), 0);
        EXPECT_EQ(FolderNames(PsipFolder()), crashFree);
    }
}

TEST_F(PsipSettingsTest, NothingAnotherUserPlantsSteersTheRunOutsideTheFolder) {
    const std::string outside = temp.Join({"outside"});
    const std::string secret = platform::JoinPath(outside, "secret");
    const std::string list = "[Informations]\r\n000001=\r\n";
    const std::string fujitsu = platform::JoinPath(commonAppData, "Fujitsu");
    const auto in = [&](const char* name) { return InPsip(name); };
    const std::string kitProfile = platform::JoinPath(psipSource, "FTS_EX_BKBOOK.xml");
    // A name of the form a crashed run leaves, which the run's first write clears away.
    const std::string leftover = in("Id.bin.~brenwick-0123456789abcdef.tmp");
    const struct {
        const char* name;
        std::function<bool()> plant;  // run as another user
        FailureCause cause;           // None: the installation succeeds
        bool duringTheRun = false;    // the temporary file of the run's first write is swapped
        std::function<bool()> holds = [] { return true; };  // afterwards
    } rows[] = {
        {"settings folder is a link",
         [&] {
             return std::filesystem::remove_all(PsipFolder()) > 0 &&
                    MakeSymbolicLink(outside, PsipFolder());
         },
         FailureCause::SettingsFolderMissing},
        {"a folder above it is a link",
         [&] {
             return std::filesystem::remove_all(fujitsu) > 0 && MakeSymbolicLink(outside, fujitsu);
         },
         FailureCause::SettingsFolderMissing},
        {"list file is a link",
         [&] {
             return std::filesystem::remove(in("SettingInfo.ini")) &&
                    MakeSymbolicLink(secret, in("SettingInfo.ini"));
         },
         FailureCause::ListFileUnsafe},
        {"list file is a hard link",
         [&] {
             return std::filesystem::remove(in("SettingInfo.ini")) &&
                    MakeHardLink(secret, in("SettingInfo.ini"));
         },
         FailureCause::ListFileUnsafe},
        {"list file is a pipe",
         [&] {
             return std::filesystem::remove(in("SettingInfo.ini")) &&
                    MakePipe(in("SettingInfo.ini"));
         },
         FailureCause::ListFileUnsafe},
        {"Id.bin is a link",
         [&] {
             return std::filesystem::remove(in("Id.bin")) && MakeSymbolicLink(secret, in("Id.bin"));
         },
         FailureCause::FlagFileUnsafe},
        {"Id.bin is a hard link",
         [&] {
             return std::filesystem::remove(in("Id.bin")) && MakeHardLink(secret, in("Id.bin"));
         },
         FailureCause::FlagFileUnsafe},
        {"Id.bin is set-user-id",
         [&] {
             std::filesystem::remove(in("Id.bin"));
             WriteBytes(in("Id.bin"), std::string(1008, '\0'));
             return SetModeBits(in("Id.bin"), 04777);
         },
         FailureCause::None},
        {"the shipped profile's name is a link",
         [&] { return MakeSymbolicLink(secret, in("FTS_EX_BKBOOK.xml")); }, FailureCause::None},
        {"the list file is too large to read",
         [&] {
             std::filesystem::remove(in("SettingInfo.ini"));
             WriteBytes(in("SettingInfo.ini"), list);
             return ResizeFile(in("SettingInfo.ini"), (64ull << 20) + 1);
         },
         FailureCause::ListFileTooLarge},
        {"Id.bin is too large to read",
         [&] {
             std::filesystem::remove(in("Id.bin"));
             WriteBytes(in("Id.bin"), "");
             return ResizeFile(in("Id.bin"), (64u << 10) + 1);
         },
         FailureCause::FlagFileTooLarge},
        {"the kit's profile is a link",
         [&] {
             return std::filesystem::remove(kitProfile) && MakeSymbolicLink(secret, kitProfile);
         },
         FailureCause::KitFileUnreadable},
#ifndef _WIN32
        {"the temporary file is swapped for a link before the rename", [] { return true; },
         FailureCause::FileChanged, true},
#endif
        {"a temporary file's name is a hard link to a read-only file",
         [&] {
#ifdef _WIN32
             SetReadOnly(secret, true);  // the attribute all its names share
#endif
             return MakeHardLink(secret, leftover);
         },
         FailureCause::None, false, [&] { return Exists(leftover); }},
        {"a temporary file's name is another user's file",
         [&] {
             WriteBytes(leftover, "theirs");
             return true;
         },
         FailureCause::None, false, [&] { return !PlantsAsAnotherUser() || Exists(leftover); }},
        {"the slot's profile is another user's with the kit's bytes",
         [&] {
             WriteBytes(in("FTS_EX000001.xml"), kShipped);
             return true;
         },
         FailureCause::None, false, [&] { return OwnerOf(in("FTS_EX000001.xml")) == 0; }},
        {"a newer profile is planted under the shipped name",
         [&] {
             WriteBytes(in("FTS_EX_BKBOOK.xml"), "planted");
             ShiftWriteTime(in("FTS_EX_BKBOOK.xml"), 3600);
             return true;
         },
         FailureCause::None},
    };
    OpenToEveryone(psipSource);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveTree(kitProfile);
        ShipKit();
        RemoveTree(fujitsu);
        RemoveTree(outside);
        MakeFolder(platform::JoinPath(outside, "FTS"));
        WriteBytes(secret, "[Informations]\r\n000001=\r\n");
        SetModeBits(secret, 0666);  // a hard link to it is then allowed to anyone
        MakeFolder(PsipFolder());
        WriteList(list);
        WriteBytes(in("Id.bin"), std::string(1008, '\0'));
        for (const std::string& folder :
             {commonAppData, fujitsu, platform::JoinPath(fujitsu, "iCube"), PsipFolder()}) {
            OpenToEveryone(folder);
        }
        const bool planted = AsStranger(row.plant);
#ifdef _WIN32
        if (!planted) {
            continue;  // Wine makes no symbolic links, pipes or set-user-id modes
        }
#else
        ASSERT_TRUE(planted);
#endif
        if (row.duringTheRun) {
            platform::OnTemporaryFileWritten([&](const std::string& temporary) {
                AsStranger([&] {
                    return std::filesystem::remove(temporary) &&
                           MakeSymbolicLink(secret, temporary);
                });
            });
        }
        const auto before = TreeSnapshot(outside);
        int result = 0;
        const InstallReport report = Install(result, row.duringTheRun);
        EXPECT_EQ(report.cause, row.cause);
        EXPECT_EQ(result, row.cause == FailureCause::None ? 0 : -1);
        EXPECT_EQ(TreeSnapshot(outside), before);
        if (row.cause == FailureCause::None) {
            EXPECT_EQ(ReadBytes(in("FTS_EX000001.xml")), kShipped);
            EXPECT_FALSE(
                std::filesystem::exists(std::filesystem::symlink_status(in("FTS_EX_BKBOOK.xml"))));
            EXPECT_EQ(ModeBits(in("Id.bin")) & 07000, 0u);
        }
        EXPECT_TRUE(row.holds());
        TakeBoxes();
    }
}

TEST_F(PsipSettingsTest, ReplacedFilesOfAnotherUserBecomeTheRunningAccountsWithNoModeOfTheirs) {
    if (!PlantsAsAnotherUser()) {
        GTEST_SKIP() << "no other user to own the files";
    }
    // Another user's owner and mode would keep them in control of what the run wrote.
    OpenToEveryone(PsipFolder());
    ASSERT_TRUE(AsStranger([&] {
        std::filesystem::remove(InPsip("SettingInfo.ini"));
        std::filesystem::remove(InPsip("Id.bin"));
        WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n000001=\r\n");
        WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
        return SetModeBits(InPsip("SettingInfo.ini"), 0666) && SetModeBits(InPsip("Id.bin"), 0666);
    }));
    EXPECT_EQ(Result(), 0);
    for (const char* name : {"SettingInfo.ini", "Id.bin"}) {
        EXPECT_EQ(OwnerOf(InPsip(name)), 0u) << name;
        EXPECT_EQ(ModeBits(InPsip(name)) & 0022, 0u) << name;
    }
    EXPECT_EQ(FlagByte(9), 0xFF);
}
