// What another user of the PC may have done to the files a run touches: no rule set, owner,
// log or folder of theirs is ever counted as installed or steers the run.

#include "cli/ConsoleFixture.h"
#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/FileLock.h"
#include "support/Stranger.h"

#ifdef _WIN32
#include "platform/Win32AccessRules.h"
#else
#include <unistd.h>
#endif

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using OtherUsersTest = ConsoleFixture;

#ifdef _WIN32
// Whatever rules a kit copy or slot profile had, the installation gives it the one protected
// set, and the check then agrees; the list file and Id.bin keep theirs without any right of
// another account to write. Wine keeps of a rule set what its modes tell (Everyone's rights).
TEST_F(OtherUsersTest, WhatIsInstalledHasOneRuleSetWhateverStoodThereAndCheckAgrees) {
    const std::string profile = InPsip("FTS_EX000002.xml");
    const std::string tpl = platform::JoinPath(TwainFolder(), "bkbook_multi.fts");
    const std::vector<std::string> copies = {profile, tpl};
    const std::vector<std::string> driverFiles = {InPsip("SettingInfo.ini"), InPsip("Id.bin")};
    const wchar_t* rows[] = {
        L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301bf;;;WD)",
        L"D:P(A;;FA;;;WD)",
        L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;WD)",
    };
    for (const wchar_t* row : rows) {
        SCOPED_TRACE(platform::PathToUtf8(std::string(row, row + std::wcslen(row))));
        ASSERT_EQ(Run({"install", "auto"}), 0) << out;
        bool writable = false;
        for (const std::string& file : copies) {
            ASSERT_TRUE(SetAccessRules(file, row));
        }
        for (const std::string& file : driverFiles) {
            ASSERT_TRUE(SetAccessRules(file, row));
        }
        AccessRulesOf(profile, writable);
        EXPECT_EQ(Run({"check", "auto", "--json"}), writable ? 1 : 0) << out;
        EXPECT_EQ(Says("\"missing\":[\"owner\"]"), writable);
        EXPECT_EQ(Run({"install", "auto"}), 0) << out;
        for (const std::string& file : copies) {
            const std::string rules = AccessRulesOf(file, writable);
            EXPECT_FALSE(writable) << file << ": " << rules;
            if (!UnderWine()) {
                EXPECT_EQ(rules,
                          platform::PathToUtf8(std::string(
                              platform::kInstalledRules,
                              platform::kInstalledRules + std::wcslen(platform::kInstalledRules))));
            }
        }
        EXPECT_EQ(Run({"check", "auto"}), 0) << out;
        EXPECT_EQ(Run({"uninstall", "auto"}), 0) << out;
        EXPECT_EQ(Run({"install", "auto"}), 0) << out;
        for (const std::string& file : driverFiles) {
            const std::string rules = AccessRulesOf(file, writable);
            EXPECT_FALSE(writable) << file << ": " << rules;
        }
    }
}
#endif

// Whatever stands at the log's name or keeps it from being written, the run installs, warns,
// and ends with its own exit code; nothing is written through a name another user could reach.
TEST_F(OtherUsersTest, ALogThatCannotBeUsedSafelyCostsOnlyItsRecord) {
    const std::string logs = temp.Join({"logs"});
    const std::string log = platform::JoinPath(logs, "brenwick.log");
    const std::string outside = temp.Join({"outside"});
    std::unique_ptr<ExclusiveFileHold> reader;
    const struct {
        const char* name;
        std::function<bool()> plant;  // run as another user
        std::function<void()> prepare = [] {};
    } rows[] = {
        {"a link", [&] { return MakeSymbolicLink(outside, log); }},
        {"a hard link", [&] { return MakeHardLink(outside, log); }},
        {"a pipe", [&] { return MakePipe(log); }},
        {"another user's file",
         [&] {
             WriteBytes(log, "forged\n");
             return PlantsAsAnotherUser();  // only then is it another user's
         }},
        {"a missing folder", [] { return true; }, [&] { RemoveTree(logs); }},
        {"a reader that holds it", [] { return true; },
         [&] {
             WriteBytes(log, "");
             reader = std::make_unique<ExclusiveFileHold>(log);
         }},
    };
    platform::LimitWaits(200);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveTree(logs);
        MakeFolder(logs);
        OpenToEveryone(logs);
        WriteBytes(outside, "root's own file\n");
        SetModeBits(outside, 0666);
        if (!AsStranger(row.plant)) {
            continue;
        }
        row.prepare();
        const auto before = TreeSnapshot(logs);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run({"install", "psip", "--log", log, "--json"}), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(Says("\"exitCode\":0"));
        EXPECT_TRUE(Says("\"warnings\":[\"\\u30ed\\u30b0"));  // "ログ..."
        EXPECT_NE(err.find("警告: ログファイル"), std::string::npos);
        EXPECT_TRUE(Exists(InPsip("FTS_EX000002.xml")));
        reader.reset();
        EXPECT_EQ(TreeSnapshot(logs), before);
        EXPECT_EQ(ReadBytes(outside), "root's own file\n");
        RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
        SetUp();
    }
    platform::LimitWaits(0);
}

#ifndef _WIN32
// A copy of the kit's file that another user owns is theirs to change at will: no installation.
// The check names the piece "owner"; the installation replaces it with one of its own.
TEST_F(OtherUsersTest, AFileAnotherUserOwnsIsNeverCountedAsInstalled) {
    if (!PlantsAsAnotherUser()) {
        GTEST_SKIP() << "no other user to own the files";
    }
    const std::string profile = InPsip("FTS_EX000002.xml");
    const std::string tpl = platform::JoinPath(TwainFolder(), "bkbook_multi.fts");
    const std::string kitTemplate = temp.Join({"kit", "Twain", "bkbook_multi.fts"});
    const struct {
        const char* name;
        const std::string& file;
        std::function<void()> plant;  // run as another user
        const char* step;
    } rows[] = {
        {"the slot's profile with the kit's bytes", profile,
         [&] { WriteBytes(profile, "<profile>shipped</profile>"); }, "place-profile-over-foreign"},
        {"the kit's template with the kit's time", tpl,
         [&] {
             WriteBytes(tpl, "template");
             std::filesystem::last_write_time(tpl, std::filesystem::last_write_time(kitTemplate));
         },
         "copy-over-foreign"},
        {"a template edited here, newer than the kit's", tpl,
         [&] {
             WriteBytes(tpl, "edited here");
             ShiftWriteTime(tpl, 3600);
         },
         "copy-over-foreign"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(Run({"install", "auto"}), 0);
        OpenToEveryone(PsipFolder());
        OpenToEveryone(TwainFolder());
        ASSERT_TRUE(AsStranger([&] {
            std::filesystem::remove(row.file);
            row.plant();
            return true;
        }));
        EXPECT_EQ(Run({"check", "auto", "--json"}), 1);
        EXPECT_TRUE(Says("\"missing\":[\"owner\"]"));
        EXPECT_TRUE(Says("{\"step\":\"" + std::string(row.step) + "\",\"file\":"));
        EXPECT_EQ(Run({"install", "auto"}), 0);
        EXPECT_EQ(OwnerOf(row.file), 0u);
        EXPECT_EQ(Run({"check", "auto"}), 0);
    }
}

// A kit that users other than administrators may change steers what the next run installs:
// the check says so as the installation does.
TEST_F(OtherUsersTest, AKitFolderAnotherUserMayWriteIsNamedByCheckAndInstall) {
    const std::string kit = temp.Join({"kit", "PSIP"});
    const std::string warning =
        "\\u306b\\u306f\\u7ba1\\u7406\\u8005\\u4ee5\\u5916";  // "には管理者以外"
    EXPECT_EQ(Run({"check", "psip", "--json"}), 1);
    EXPECT_FALSE(Says(warning));
    const struct {
        const char* name;
        std::function<bool()> loosen;
    } rows[] = {
        {"group write", [&] { return SetModeBits(kit, 0775); }},
        {"another user's",
         [&] { return PlantsAsAnotherUser() && ::chown(kit.c_str(), 65534, 65534) == 0; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetModeBits(kit, 0755);
        if (!row.loosen()) {
            continue;
        }
        for (const char* command : {"check", "install"}) {
            Run({command, "psip", "--json"});
            EXPECT_TRUE(Says(warning)) << command;
        }
    }
}
#endif

// Run as an account that may read the settings folders but not write them, the dry run names
// the failure, and the step, that the run meets.
TEST_F(OtherUsersTest, AnAccountThatCannotWriteTheFolderIsForeseenByTheDryRun) {
    if (!PlantsAsAnotherUser()) {
        GTEST_SKIP() << "no other user to run as";
    }
    SetModeBits(temp.Path(), 0755);
    for (const char* command : {"install", "uninstall"}) {
        SCOPED_TRACE(command);
        if (std::string(command) == "uninstall") {
            ASSERT_EQ(Run({"install", "auto"}), 0);
        }
        const auto before = TreeSnapshot(commonAppData);
        std::string predicted, done;
        int dryRun = -1, run = -1;
        // The child's verdicts come back through its exit status: the two must agree.
        EXPECT_TRUE(AsStranger([&] {
            dryRun = Run({command, "auto", "--dry-run", "--json"});
            predicted = out;
            run = Run({command, "auto", "--json"});
            done = out;
            // The refused copy is what failed, not the template it left out.
            const bool copyFailed = std::string(command) == "uninstall" ||
                                    done.find("\"copy-failed\"") != std::string::npos;
            return dryRun == run && dryRun == 1 && copyFailed &&
                   AsPredicted(done) == AsPredicted(predicted);
        }));
        EXPECT_EQ(TreeSnapshot(commonAppData), before);
    }
}
