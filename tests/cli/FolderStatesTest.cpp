// On every folder state the views agree: the dry run predicts the run, a run that is
// foreseen to stop writes nothing it cannot give back, check then says installed, and a
// second run has nothing left to do.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "cli/ConsoleFixture.h"
#include "support/FileLock.h"
#include "support/Stranger.h"

namespace {

using FolderStatesTest = ConsoleFixture;

// The JSON of a run as its dry run would have said it: no step done, nothing said of after.
std::string AsPredicted(std::string json) {
    for (std::size_t at; (at = json.find("\"done\":true")) != std::string::npos;) {
        json.replace(at, 11, "\"done\":false");
    }
    for (const char* field : {"\"time\":", "\"dryRun\":", "\"installed\":"}) {
        for (std::size_t at; (at = json.find(field)) != std::string::npos;) {
            json.erase(at, json.find(',', at) - at + 1);
        }
    }
    return json;
}

}  // namespace

TEST_F(FolderStatesTest, DryRunRunAndCheckAgreeOnEveryFolderState) {
    const std::string tpl = platform::JoinPath(TwainFolder(), "bkbook_multi.fts");
    const std::string twainList = platform::JoinPath(TwainFolder(), "FTSLISTS.INI");
    std::unique_ptr<ExclusiveFileHold> scanner;  // another program, holding a file
    const struct {
        const char* name;
        std::function<void()> prepare;
        int exitCode;  // -1: whatever the dry run predicts
        std::vector<std::string> command = {"install", "auto"};
        bool installedFirst = false;
        std::function<void()> verify = [] {};
        int checkCode = -1;  // of the check after a run that succeeded; -1: as the command says
    } states[] = {
        {"as the drivers ship them", [] {}, 0},
        {"a template edited here, newer than the kit's",
         [&] {
             WriteBytes(tpl, "edited here");
             ShiftWriteTime(tpl, 3600);
         },
         0},
        // Put back as asked: then the kit's, in bytes and time, which check and a second run
        // find in place.
        {"a template edited here, newer than the kit's, rolled back",
         [&] {
             WriteBytes(tpl, "edited here");
             ShiftWriteTime(tpl, 3600);
         },
         0,
         {"install", "auto", "--rollback"},
         false,
         [&] {
             EXPECT_NE(out.find("{\"step\":\"roll-back\""), std::string::npos);
             EXPECT_EQ(ReadBytes(tpl), ReadBytes(temp.Join({"kit", "Twain", "bkbook_multi.fts"})));
         }},
        {"a newer template held by another program, rolled back",
         [&] {
             WriteBytes(tpl, "edited here");
             ShiftWriteTime(tpl, 3600);
             scanner = std::make_unique<ExclusiveFileHold>(tpl);
         },
         1618,
         {"install", "auto", "--rollback"}},
        {"an older template held by another program",
         [&] {
             WriteBytes(tpl, "old");
             ShiftWriteTime(tpl, -3600);
             scanner = std::make_unique<ExclusiveFileHold>(tpl);
         },
         1618},
        // The kit's template cannot be put in place: a failure, said alike by all three.
        {"a read-only template older than the kit's",
         [&] {
             WriteBytes(tpl, "old");
             ShiftWriteTime(tpl, -3600);
             SetReadOnly(tpl, true);
         },
         1},
        {"a kit without its Twain folder and a template from before",
         [&] {
             WriteBytes(tpl, "earlier");
             RemoveTree(temp.Join({"kit", "Twain"}));
         },
         0},
        {"a read-only kit profile",
         [&] {
             SetReadOnly(temp.Join({"kit", "PSIP", "FTS_EX_BKBOOK.xml"}), true);
         },
         0},
        {"a listed profile whose flag is low",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n000003=" + kProfileName);
             WriteBytes(InPsip("FTS_EX000003.xml"), "<profile>shipped</profile>");
         },
         0},
        {"a folder under the shipped profile's name",
         [&] { MakeFolder(InPsip("FTS_EX_BKBOOK.xml")); }, 1},
        {"an entry keyed _BKBOOK",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n_BKBOOK=" + kProfileName);
         },
         1},
        // The copy stops there; whether the template was copied before depends on the order
        // the system lists the kit in.
        {"a kit file that is a dangling link",
         [&] {
             MakeSymbolicLink(temp.Join({"nowhere"}), temp.Join({"kit", "Twain", "a.fts"}));
         },
         -1},
        {"an installed PC whose list files and flag file are read-only",
         [&] {
             SetReadOnly(InPsip("SettingInfo.ini"), true);
             SetReadOnly(InPsip("Id.bin"), true);
             SetReadOnly(twainList, true);
         },
         0,
         {"install", "auto"},
         true},
        {"a free key that a later line holds with another profile",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"),
                        "[Informations]\r\n000001=Color\r\n000002=\r\n000002=B\r\n");
             WriteBytes(InPsip("FTS_EX000002.xml"), "B's profile");
         },
         0,
         {"install", "auto"},
         false,
         [&] { EXPECT_EQ(ReadBytes(InPsip("FTS_EX000002.xml")), "B's profile"); }},
        {"an entry keyed by no slot number",
         [&] { WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\nabc=" + kProfileName); },
         0,
         {"install", "auto"},
         false,
         [&] { EXPECT_EQ(ReadBytes(InPsip("Id.bin")), std::string(1008, '\0')); }},
        {"a kit file named like a slot profile",
         [&] {
             WriteBytes(temp.Join({"kit", "PSIP", "FTS_EX000002.xml"}), "not the driver's");
         },
         1},
        // On Windows it could be the list's short name.
        {"a kit file whose name holds a tilde",
         [&] {
             WriteBytes(temp.Join({"kit", "Twain", "FTSLIS~1.INI"}), "x");
         },
         1},
        {"an entry with an empty key",
         [&] { WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n=" + kProfileName); }, 1},
        {"a folder where the template goes",
         [&] { MakeFolder(tpl); },
         1,
         {"install", "auto"},
         false,
         [&] { EXPECT_NE(out.find("\"code\":\"copy-failed\""), std::string::npos); }},
        {"an installed template that others may write, from a kit file others may write",
         [&] {
             SetModeBits(tpl, 0666);
             SetModeBits(temp.Join({"kit", "Twain", "bkbook_multi.fts"}), 0666);
         },
         0,
         {"install", "auto"},
         true,
         [&] {
#ifndef _WIN32  // the mode bits are POSIX's
             EXPECT_EQ(ModeBits(tpl) & 022, 0u);
#endif
         }},
        {"an installed PC with a read-only flag file, then uninstall",
         [&] { SetReadOnly(InPsip("Id.bin"), true); },
         1,
         {"uninstall", "psip"},
         true},
        {"an installed PC whose profile another program holds, then uninstall",
         [&] { scanner = std::make_unique<ExclusiveFileHold>(InPsip("FTS_EX000002.xml")); },
         1618,
         {"uninstall", "psip"},
         true},
        {"nothing registered in read-only list files, then uninstall",
         [&] {
             SetReadOnly(InPsip("SettingInfo.ini"), true);
             SetReadOnly(twainList, true);
         },
         0,
         {"uninstall", "auto"}},
        {"no list files at all, then uninstall",
         [&] {
             RemoveTree(InPsip("SettingInfo.ini"));
             RemoveTree(twainList);
         },
         0,
         {"uninstall", "auto"}},
        {"an entry keyed by no slot number, then uninstall",
         [&] { WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\nabc=" + kProfileName); },
         0,
         {"uninstall", "auto"},
         false,
         [&] { EXPECT_EQ(ReadBytes(InPsip("SettingInfo.ini")), "[Informations]\r\nabc=\r\n"); }},
        // A slot is its number: "2=Other" holds slot 2, so slot 3 is taken and no flag lowered.
        {"a slot held under a key of the same number",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"),
                        "[Informations]\r\n000001=Color\r\n2=Other\r\n000002=\r\n000003=\r\n");
             WriteBytes(InPsip("Id.bin"),
                        std::string(9, '\0') + "\xFF\xFF" + std::string(997, '\0'));
         },
         0,
         {"install", "psip"},
         false,
         [&] {
             EXPECT_NE(ReadBytes(InPsip("SettingInfo.ini")).find("000003=" + kProfileName),
                       std::string::npos);
             EXPECT_EQ(ReadBytes(InPsip("Id.bin"))[11], '\xFF');
         }},
        {"a slot held under a key of the same number in another section, then uninstall",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n000002=" + kProfileName +
                                                       "\r\n[Informations]\r\n000002 =Other\r\n");
             WriteBytes(InPsip("Id.bin"), std::string(10, '\0') + "\xFF" + std::string(997, '\0'));
         },
         0,
         {"uninstall", "psip"},
         false,
         [&] { EXPECT_EQ(ReadBytes(InPsip("Id.bin"))[10], '\xFF'); }},
        // Deployment systems run the removal after the driver may be gone.
        {"no settings folders at all, then uninstall",
         [&] { RemoveTree(platform::JoinPath(commonAppData, "Fujitsu")); },
         0,
         {"uninstall", "auto"},
         false,
         [&] { EXPECT_NE(out.find("\"action\":\"absent\""), std::string::npos); },
         kExitNoDriver},
        {"no PaperStream IP folder, then uninstall",
         [&] { RemoveTree(PsipFolder()); },
         0,
         {"uninstall", "psip"}},
        // Installed in the Windows folder before the driver made its other folder and list.
        {"the template registered in the Windows folder only",
         [&] {
             MakeFolder(FallbackTwainFolder());
             WriteBytes(platform::JoinPath(FallbackTwainFolder(), "FTSLISTS.INI"),
                        "[TemplateLists]\r\n01=bkbook_multi.fts\r\n");
             WriteBytes(platform::JoinPath(FallbackTwainFolder(), "bkbook_multi.fts"), "template");
         },
         0,
         {"install", "twain"},
         false,
         [&] { EXPECT_EQ(ReadBytes(twainList), "[TemplateLists]\r\n01=\r\n"); }},
        {"the template registered in both folders, then uninstall",
         [&] {
             MakeFolder(FallbackTwainFolder());
             WriteBytes(platform::JoinPath(FallbackTwainFolder(), "FTSLISTS.INI"),
                        "[TemplateLists]\r\n01=bkbook_multi.fts\r\n");
         },
         0,
         {"uninstall", "twain"},
         true,
         [&] {
             EXPECT_EQ(ReadBytes(twainList), "[TemplateLists]\r\n01=\r\n");
             EXPECT_EQ(ReadBytes(platform::JoinPath(FallbackTwainFolder(), "FTSLISTS.INI")),
                       "[TemplateLists]\r\n01=\r\n");
         }},
        {"a fi-series folder without its list beside the Windows folder's list",
         [&] {
             RemoveTree(twainList);
             MakeFolder(FallbackTwainFolder());
             WriteBytes(platform::JoinPath(FallbackTwainFolder(), "FTSLISTS.INI"),
                        "[TemplateLists]\r\n01=\r\n");
         },
         0,
         {"install", "twain"},
         false,
         [&] {
             EXPECT_FALSE(Exists(tpl));
             EXPECT_EQ(ReadBytes(platform::JoinPath(FallbackTwainFolder(), "FTSLISTS.INI")),
                       "[TemplateLists]\r\n01=bkbook_multi.fts\r\n");
             EXPECT_NE(err.find("一覧ファイルがなく"), std::string::npos);
         }},
        // The driver reads no comment line.
        {"a commented-out entry of the profile",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"),
                        "[Informations]\r\n;000001=" + kProfileName + "\r\n000001=\r\n");
         },
         0,
         {"install", "psip"},
         false,
         [&] {
             EXPECT_EQ(ReadBytes(InPsip("SettingInfo.ini")),
                       "[Informations]\r\n;000001=" + kProfileName + "\r\n000001=" + kProfileName +
                           "\r\n");
             EXPECT_FALSE(Exists(InPsip("FTS_EX;000001.xml")));
         }},
        {"a list that starts with a UTF-8 byte order mark",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"), "\xEF\xBB\xBF[Informations]\r\n000001=\r\n");
         },
         0,
         {"install", "psip"},
         false,
         [&] {
             EXPECT_EQ(ReadBytes(InPsip("SettingInfo.ini")),
                       "\xEF\xBB\xBF[Informations]\r\n000001=" + kProfileName + "\r\n");
         }},
        {"an installed PC with the profile left under its shipped name too",
         [&] { WriteBytes(InPsip("FTS_EX_BKBOOK.xml"), "<profile>shipped</profile>"); },
         0,
         {"install", "psip"},
         true},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.name);
        SetUp();
        ShipKit();
        if (state.installedFirst) {
            ASSERT_EQ(Run({"install", "auto"}), 0);
        }
        state.prepare();
        const auto before = TreeSnapshot(commonAppData);
        const auto with = [&](std::vector<std::string> words) {
            words.insert(words.begin(), state.command.begin(), state.command.end());
            return words;
        };
        const int exitCode = Run(with({"--dry-run", "--json"}));
        EXPECT_TRUE(exitCode == state.exitCode || state.exitCode == -1) << exitCode << out;
        EXPECT_EQ(TreeSnapshot(commonAppData), before);
        const std::string predicted = out;
        EXPECT_EQ(Run(with({"--json"})), exitCode);
        EXPECT_EQ(AsPredicted(out), AsPredicted(predicted));
        state.verify();
        const bool uninstall = state.command[0] == "uninstall";
        if (exitCode != 0 && uninstall) {
            EXPECT_EQ(TreeSnapshot(commonAppData), before) << "a foreseen stop wrote";
        }
        // The check judges the installation the command asked for.
        std::vector<std::string> check = {"check", state.command[1]};
        if (std::find(state.command.begin(), state.command.end(), "--rollback") !=
            state.command.end()) {
            check.push_back("--rollback");
        }
        if (exitCode == kExitBusy) {
            EXPECT_EQ(Run(check), kExitBusy) << out;
        }
        if (exitCode == 0) {
            const int checkCode = state.checkCode != -1 ? state.checkCode : uninstall ? 1 : 0;
            EXPECT_EQ(Run(check), checkCode) << out;
            const auto done = TreeSnapshot(commonAppData);
            EXPECT_EQ(Run(with({})), 0);
            EXPECT_EQ(TreeSnapshot(commonAppData), done) << "a second run wrote";
        }
        scanner.reset();
        for (const std::string& file : {InPsip("SettingInfo.ini"), InPsip("Id.bin"), twainList}) {
            if (Exists(file)) {
                SetReadOnly(file, false);
            }
        }
        RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
        RemoveTree(platform::JoinPath(windowsFolder, "twain_32"));
        RemoveTree(temp.Join({"kit"}));
    }
}

// Run as an account that may read the settings folders but not write them, the dry run names
// the failure, and the step, that the run meets.
TEST_F(FolderStatesTest, AnAccountThatCannotWriteTheFolderIsForeseenByTheDryRun) {
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
