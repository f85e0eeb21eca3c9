// The console program from its arguments to its exit code, output and log, on driver
// folders on disk.

#include "cli/ConsoleProgram.h"

#include "cli/ConsoleFixture.h"
#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/FileLock.h"
#include "support/Stranger.h"
#include "text/Sha256.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/Win32AccessRules.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <memory>

using ConsoleProgramTest = ConsoleFixture;

TEST_F(ConsoleProgramTest, ChecksInstallsAndChecksAgainWithJson) {
    EXPECT_EQ(Run({"check", "auto", "--json"}), 1);
    EXPECT_EQ(out.front(), '{');
    EXPECT_EQ(out.substr(out.size() - 2), "}\n");
    EXPECT_TRUE(Says(
        "\"command\":\"check\",\"dryRun\":false,\"exitCode\":1,\"error\":null,\"drivers\":[{"));
    EXPECT_TRUE(Says("\"driver\":\"psip\""));
    EXPECT_TRUE(Says("\"driver\":\"twain\""));
    EXPECT_TRUE(Says("\"missing\":[\"entry\",\"profile-file\",\"flag\"]"));
    EXPECT_TRUE(Says("\"missing\":[\"template-file\",\"entry\"]"));
    EXPECT_TRUE(Says("\"result\":null"));

    EXPECT_EQ(Run({"install", "auto", "--json"}), 0);
    EXPECT_TRUE(
        Says("\"installed\":true,\"action\":\"filled\",\"key\":\"000002\",\"result\":0,"
             "\"error\":null"));
    EXPECT_TRUE(Says("\"action\":\"filled\",\"key\":\"01\""));
    EXPECT_TRUE(err.empty());

    EXPECT_EQ(Run({"check", "auto"}), 0);
    EXPECT_TRUE(
        Says("[PaperStream IP] \xE3\x82\xA8\xE3\x83\xB3\xE3\x83\x88\xE3\x83\xAA: 000002 ("));
    EXPECT_TRUE(Says("0xFF"));
}

TEST_F(ConsoleProgramTest, CheckTellsWhatIsMissingAndNeedsNoWriteAccess) {
    ASSERT_EQ(Run({"install", "psip"}), 0);
    SetReadOnly(InPsip("SettingInfo.ini"), true);
    EXPECT_EQ(Run({"check", "psip", "--json"}), 0);
    EXPECT_TRUE(Says("\"installed\":true"));
    EXPECT_TRUE(Says("\"flag\":255"));

    WriteBytes(InPsip("FTS_EX000002.xml"), "edited");
    EXPECT_EQ(Run({"check", "psip", "--json"}), 1);
    EXPECT_TRUE(Says("\"key\":\"000002\""));
    EXPECT_TRUE(Says("\"missing\":[\"profile-file\"]"));

    RemoveTree(PsipFolder());
    EXPECT_EQ(Run({"check", "psip", "--json"}), 1);
    EXPECT_TRUE(Says("\"settingsFolder\":null"));
    EXPECT_TRUE(Says("\"missing\":[\"settings-folder\"]"));
    EXPECT_TRUE(Says("\"error\":{\"code\":\"settings-folder-missing\""));
}

// An inventory from the files alone: which profile is at the slot, and whether it is the kit's.
TEST_F(ConsoleProgramTest, CheckTellsWhichProfileIsInstalledAndWhetherItIsTheKits) {
    ASSERT_EQ(Run({"install", "auto"}), 0);
    const std::string log = temp.Join({"check.log"});
    EXPECT_EQ(Run({"check", "auto", "--json", "--log", log}), 0);
    EXPECT_TRUE(Says("\"inventory\":{\"file\":"));
    EXPECT_TRUE(Says("\"sha256\":\"" + Sha256Hex("<profile>shipped</profile>") +
                     "\",\"matchesKit\":true}"));
    EXPECT_TRUE(Says("\"sha256\":\"" + Sha256Hex("template") + "\",\"matchesKit\":true}"));
    EXPECT_TRUE(Says("\"version\":\"1.0.0.2\""));
    EXPECT_NE(ReadBytes(log).find("exit code 0"), std::string::npos);  // a check leaves a trace

    WriteBytes(InPsip("FTS_EX000002.xml"), "last year's profile");
    EXPECT_EQ(Run({"check", "psip"}), 1);
    EXPECT_TRUE(Says(Sha256Hex("last year's profile") + " (配布ファイルと異なる)"));

    // Without a kit it tells what the folders hold, and fails only where something is missing.
    const std::string empty = temp.Join({"empty"});
    MakeFolder(empty);
    WriteBytes(InPsip("FTS_EX000002.xml"), "<profile>shipped</profile>");
    EXPECT_EQ(Run({"check", "auto", "--json", "--source", empty}), 0) << out;
    EXPECT_TRUE(Says("\"matchesKit\":null"));
    EXPECT_FALSE(Says("\"matchesKit\":false"));
    EXPECT_NE(err.find("比べられませんでした"), std::string::npos);

    // A kit whose template is older than the PC's is never copied: the check says so.
    const std::string tpl = platform::JoinPath(TwainFolder(), "bkbook_multi.fts");
    WriteBytes(tpl, "edited here");
    ShiftWriteTime(tpl, 3600);
    EXPECT_EQ(Run({"check", "twain"}), 0);
    EXPECT_NE(err.find("より古いため、インストールしてもコピーされません"), std::string::npos);
    EXPECT_TRUE(Says("(配布ファイルと異なる)"));
    // The installation's result names it; a rollback puts the kit's back, which check then
    // finds, and a check that judges the rollback finds missing until then.
    EXPECT_EQ(Run({"install", "twain"}), 0);
    EXPECT_TRUE(Says(tpl + "」は配布ファイルより新しいため、残しました。"));
    EXPECT_EQ(Run({"check", "twain", "--rollback", "--json"}), 1);
    EXPECT_TRUE(Says("\"missing\":[\"template-file\"]"));
    EXPECT_EQ(Run({"install", "twain", "--rollback"}), 0);
    EXPECT_EQ(Run({"check", "twain"}), 0);
    EXPECT_TRUE(Says("(配布ファイルと同じ)"));

    // A leftover under the shipped name is no missing piece: the slot's profile is the kit's.
    WriteBytes(InPsip("FTS_EX_BKBOOK.xml"), "<profile>shipped</profile>");
    EXPECT_EQ(Run({"check", "psip"}), 0) << out;
    EXPECT_NE(err.find("FTS_EX_BKBOOK.xml"), std::string::npos);
}

TEST_F(ConsoleProgramTest, DryRunSaysWhatWouldBeDoneAndChangesNothing) {
    const auto before = TreeSnapshot(commonAppData);
    EXPECT_EQ(Run({"install", "auto", "--dry-run", "--json"}), 0);
    EXPECT_EQ(TreeSnapshot(commonAppData), before);
    EXPECT_TRUE(Says("\"dryRun\":true"));
    for (const char* step : {"copy", "fill-entry", "place-profile", "raise-flag", "save-list"}) {
        EXPECT_TRUE(Says(std::string("{\"step\":\"") + step + "\"")) << step;
    }
    EXPECT_FALSE(Says("\"done\":true"));
    EXPECT_EQ(Run({"install", "psip", "--dry-run"}), 0);
    EXPECT_TRUE(Says("ドライラン (何も変更していません): ドライバ設定をインストールします。"));
    EXPECT_FALSE(Says("完了"));
    // What it would refuse, it reports as the installation would.
    SetReadOnly(InPsip("Id.bin"), true);
    EXPECT_EQ(Run({"install", "psip", "--dry-run", "--json"}), 1);
    EXPECT_TRUE(Says("\"code\":\"flag-file-read-only\""));
    SetReadOnly(InPsip("Id.bin"), false);
    EXPECT_EQ(TreeSnapshot(commonAppData), before);
}

TEST_F(ConsoleProgramTest, ExitCodesTellDeploymentSystemsWhatHappened) {
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out, "BrenwickCli 1.0.0.2\n");
    EXPECT_EQ(Run({"install"}), 2);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(err.empty());

    // A log that cannot be used costs its record, not the run.
    EXPECT_EQ(Run({"install", "psip", "--log", temp.Join({"no-such-folder", "log.txt"})}), 0);
    EXPECT_NE(err.find("警告: ログファイル"), std::string::npos);
    EXPECT_TRUE(Exists(InPsip("FTS_EX000002.xml")));

    RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
    EXPECT_EQ(Run({"install", "auto", "--json"}), 3);
    EXPECT_TRUE(Says("\"exitCode\":3,\"error\":{\"code\":\"no-driver\",\"message\":\""));
    EXPECT_FALSE(Exists(platform::JoinPath(commonAppData, "Fujitsu")));
    EXPECT_EQ(Run({"check", "auto"}), 3);

    // A chosen driver without its folder: the dialog's warning goes to standard error.
    EXPECT_EQ(Run({"install", "psip"}), 1);
    EXPECT_FALSE(err.empty());
    EXPECT_TRUE(Says("[settings-folder-missing]"));
}

TEST_F(ConsoleProgramTest, EachRunAppendsOneWholeRecordToTheLog) {
    const std::string log = temp.Join({"brenwick.log"});
    EXPECT_EQ(Run({"install", "psip", "--log", log}), 0);
    EXPECT_EQ(Run({"install", "twain", "--log", log, "--json"}), 0);
    std::string text = ReadBytes(log);
#ifdef _WIN32
    // A text file of Windows: a byte order mark where the program created it, CR LF line ends.
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    text.erase(0, 3);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
#endif
    EXPECT_EQ(text.rfind("=== ", 0), 0u);
    EXPECT_EQ(text.find("=== ", 1), text.find("exit code 0\n") + 12);
    EXPECT_NE(text.find("command line: install twain --log "), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 12), "exit code 0\n");
    std::size_t records = 0;
    for (std::size_t at = text.find("\nexit code "); at != std::string::npos;
         at = text.find("\nexit code ", at + 1)) {
        ++records;
    }
    EXPECT_EQ(records, 2u);
}

TEST_F(ConsoleProgramTest, UninstallTakesTheProfileBackOffAndThenFindsNothing) {
    ASSERT_EQ(Run({"install", "auto"}), 0);
    const auto installed = TreeSnapshot(commonAppData);
    EXPECT_EQ(Run({"uninstall", "auto", "--dry-run", "--json"}), 0);
    EXPECT_EQ(TreeSnapshot(commonAppData), installed);
    EXPECT_TRUE(Says("\"command\":\"uninstall\",\"dryRun\":true"));
    EXPECT_TRUE(Says("\"installed\":true,\"action\":\"removed\",\"key\":\"000002\""));
    for (const char* step : {"empty-entry", "remove-profile", "lower-flag", "save-list"}) {
        EXPECT_TRUE(Says(std::string("{\"step\":\"") + step + "\"")) << step;
    }
    EXPECT_FALSE(Says("\"done\":true"));

    EXPECT_EQ(Run({"uninstall", "auto", "--json"}), 0);
    EXPECT_TRUE(Says("\"installed\":false,\"action\":\"removed\",\"key\":\"000002\""));
    EXPECT_FALSE(Says("\"done\":false"));
    EXPECT_EQ(ReadBytes(InPsip("SettingInfo.ini")),
              "[Informations]\r\n000001=Color\r\n000002=\r\n");
    EXPECT_EQ(Run({"check", "psip"}), 1);

    EXPECT_EQ(Run({"uninstall", "auto"}), 0);
    EXPECT_TRUE(Says("[PaperStream IP] 削除する設定はありません。"));
    EXPECT_TRUE(Says("[fiシリーズ TWAIN] 削除する設定はありません。"));
}

TEST_F(ConsoleProgramTest, AFailedRunShowsOnlyWhatItDid) {
    // The list's save fails when it is carried out: the steps before it were taken.
    platform::FailCall(platform::Call::ReplaceWithTemporaryFile, 2);
    EXPECT_EQ(Run({"install", "psip"}), 1);
    EXPECT_TRUE(Says("プロファイルを配置: "));
    EXPECT_TRUE(Says("フラグを立てる: "));
    EXPECT_FALSE(Says("空きエントリに登録"));  // the list file was never saved
    EXPECT_FALSE(Says("一覧ファイルを保存"));
    EXPECT_TRUE(Says("[save-failed]"));
    // A stop the plan foresees takes no step at all.
    WriteBytes(InPsip("Id.bin"), std::string(1008, '\0'));
    RemoveTree(InPsip("FTS_EX000002.xml"));
    SetReadOnly(InPsip("Id.bin"), true);
    EXPECT_EQ(Run({"install", "psip"}), 1);
    EXPECT_FALSE(Says("プロファイルを配置: "));
    EXPECT_FALSE(Exists(InPsip("FTS_EX000002.xml")));
    EXPECT_TRUE(Says("[flag-file-read-only]"));
    SetReadOnly(InPsip("Id.bin"), false);
}

TEST_F(ConsoleProgramTest, JsonIsAsciiAndEveryDriverTextIsConverted) {
    // A key of full-width digits, "０１" in code page 932.
    WriteBytes(InPsip("SettingInfo.ini"),
               "[Informations]\r\n\x82\x4F\x82\x50=" + kProfileName + "\r\n");
    EXPECT_EQ(Run({"install", "psip", "--json"}), 0);
    EXPECT_TRUE(IsAscii());
    EXPECT_TRUE(Says("\"key\":\"\\uff10\\uff11\""));
    EXPECT_EQ(Run({"check", "psip"}), 0);
    EXPECT_TRUE(Says("エントリ: ０１"));
    // A control character from a file never reaches a terminal or the log as it is.
    WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\nx\x1B[2J=" + kProfileName + "\r\n");
    EXPECT_EQ(Run({"check", "psip"}), 1);
    EXPECT_TRUE(Says("[slot-key-unsafe]"));
    EXPECT_EQ(out.find('\x1B'), std::string::npos);
}

TEST_F(ConsoleProgramTest, ADriverFileHeldByAnotherProgramAsksForARetry) {
    ExclusiveFileHold scanner(InPsip("SettingInfo.ini"));
    ASSERT_TRUE(scanner.IsHeld());
    EXPECT_EQ(Run({"install", "psip", "--json"}), 1618);
    EXPECT_TRUE(Says("\"exitCode\":1618"));
    EXPECT_TRUE(Says("\"code\":\"list-file-locked\""));
    EXPECT_EQ(Run({"install", "auto"}), 1618);  // the other driver installed
    RemoveTree(platform::JoinPath(TwainFolder(), "FTSLISTS.INI"));
    EXPECT_EQ(Run({"install", "auto"}), 1);  // a failure of its own beats a busy file
}

#ifdef _WIN32
// A settings folder that another program holds for its sole use is busy: the driver is not
// dropped from "auto", and nothing is written for it. A folder above it is only passed
// through: a reader who holds it so, or holds it to add files, keeps no run out.
TEST_F(ConsoleProgramTest, ASettingsFolderHeldByAnotherProgramIsBusyNotMissing) {
    const std::string iCube =
        platform::JoinPath(platform::JoinPath(commonAppData, "Fujitsu"), "iCube");
    const auto hold = [](const std::string& folder, DWORD access, DWORD share) {
        return ::CreateFileA(folder.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    const auto before = TreeSnapshot(PsipFolder());
    const HANDLE holder = hold(PsipFolder(), GENERIC_READ, 0);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run({"install", "auto", "--json"}), 1618);
    ::CloseHandle(holder);
    EXPECT_TRUE(Says("\"driver\":\"psip\""));
    EXPECT_TRUE(Says("\"code\":\"settings-folder-locked\""));
    EXPECT_TRUE(Says("\"action\":\"filled\",\"key\":\"01\""));  // the other driver installed
    EXPECT_EQ(TreeSnapshot(PsipFolder()), before);
    for (const DWORD access : {DWORD{GENERIC_READ}, DWORD{FILE_ADD_FILE}}) {
        const HANDLE reader = hold(iCube, access, 0);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Run({"install", "auto"}), 0) << out;
        EXPECT_EQ(Run({"check", "auto"}), 0) << out;
        ::CloseHandle(reader);
    }
}
#endif

TEST_F(ConsoleProgramTest, EveryRunWithJsonWritesOneObjectEvenWhenNothingIsDone) {
    EXPECT_EQ(Run({"install", "psip", "--bogus", "--json"}), 2);
    EXPECT_TRUE(Says("{\"schemaVersion\":1,\"computer\":"));
    EXPECT_TRUE(
        Says("\"kit\":null,\"command\":null,\"dryRun\":false,\"exitCode\":2,\"error\":{"
             "\"code\":\"usage\""));
    EXPECT_TRUE(
        Says("\"drivers\":[],\"warnings\":[],\"warningsOmitted\":0,\"version\":\"1.0.0.2\"}\n"));
    EXPECT_EQ(Run({"install", "psip", "--json", "--log", temp.Join({"none", "log.txt"})}), 0);
    EXPECT_TRUE(Says("\"error\":null"));
    EXPECT_TRUE(Says("\"warnings\":[\"\\u30ed\\u30b0"));  // "ログ..."
    EXPECT_TRUE(IsAscii());
}

#ifndef _WIN32
// The real program, with its standard streams as a deployment system may leave them.
TEST_F(ConsoleProgramTest, TheResultNeverDependsOnTheStandardStreams) {
    const std::string log = temp.Join({"run.log"});
    const auto runWith = [&](bool closedPipe, const std::vector<std::string>& extra) {
        std::vector<std::string> arguments = {BRENWICK_CLI_PATH,  "install", "psip", "--source",
                                              temp.Join({"kit"}), "--log",   log};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const pid_t child = ::fork();
        if (child == 0) {
            int ends[2] = {-1, -1};
            if (closedPipe && ::pipe(ends) == 0) {
                ::close(ends[0]);  // nobody reads: a write gets a broken pipe
                ::dup2(ends[1], STDOUT_FILENO);
            } else {
                ::close(STDOUT_FILENO);
            }
            std::vector<char*> argv;
            for (std::string& argument : arguments) {
                argv.push_back(&argument[0]);
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    };
    EXPECT_EQ(runWith(true, {}), 0);
    EXPECT_NE(ReadBytes(log).find("exit code 0"), std::string::npos);
    RemoveTree(log);
    EXPECT_EQ(runWith(false, {"--json"}), 0);
    EXPECT_EQ(ReadBytes(log).find("{\"command\""), std::string::npos);
    EXPECT_NE(ReadBytes(log).find("exit code 0"), std::string::npos);
}
#endif
