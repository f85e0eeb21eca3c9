// On every folder state the views agree: the dry run predicts the run, a run that is
// foreseen to stop writes nothing it cannot give back, check then says installed, and a
// second run has nothing left to do. With BRENWICK_FOLDER_STATES_KEEP naming a folder, each
// row's folders and what `check auto` then says are kept there, for the kit's detection script
// to be run on them (tests/scripts).

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "cli/ConsoleFixture.h"
#include "support/FileLock.h"
#include "support/Stranger.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using FolderStatesTest = ConsoleFixture;

#ifndef _WIN32
long long WriteTimeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_mtime) : 0;
}

// The row's whole temporary folder (driver folders, kit, and what links point at) copied to
// <keep>/<row>/tree, and beside it the check's exit code and the time the kit was shipped with.
void KeepRow(const std::string& keep, int row, const std::string& temp, const std::string& name,
             int checkExitCode, long long kitTime, const std::string& kit) {
    const std::string folder = keep + "/" + std::to_string(row);
    const std::string copy = "rm -rf '" + folder + "' && mkdir -p '" + folder + "' && cp -a '" +
                             temp + "' '" + folder + "/tree'";
    ASSERT_EQ(std::system(copy.c_str()), 0) << copy;
    std::ofstream row_file(folder + "/row.txt");
    row_file << "name=" << name << "\ncheck=" << checkExitCode << "\nkitTime=" << kitTime
             << "\nkit=" << kit.substr(temp.size() + 1) << "\n";
}
#endif

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
        // Checks alone, of what an administrator may find on a PC.
        {"an installed PC with the profile left under its shipped name, checked",
         [&] { WriteBytes(InPsip("FTS_EX_BKBOOK.xml"), "<profile>shipped</profile>"); },
         0,
         {"check", "auto"},
         true},
        // The blank before the '=' is part of the key, and so of the profile's name.
        {"an entry whose key has a blank before its '='",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"),
                        "[Informations]\r\n000001=Color\r\n000002 =" + kProfileName + "\r\n");
         },
         0,
         {"install", "psip"},
         false,
         [&] { EXPECT_TRUE(Exists(InPsip("FTS_EX000002 .xml"))); }},
        {"an installed PC, then a file added to the kit",
         [&] {
             WriteBytes(temp.Join({"kit", "Twain", "bkbook_single.fts"}), "single");
         },
         1,
         {"check", "auto"},
         true},
        {"an entry with an empty key and a profile of the kit's bytes",
         [&] {
             WriteBytes(InPsip("SettingInfo.ini"), "[Informations]\r\n=" + kProfileName);
             WriteBytes(InPsip("FTS_EX.xml"), "<profile>shipped</profile>");
         },
         1,
         {"check", "auto"}},
        {"an installed PC whose slot profile is hard-linked",
         [&] { MakeHardLink(InPsip("FTS_EX000002.xml"), temp.Join({"profile link"})); },
         1,
         {"check", "auto"},
         true,
         [&] { EXPECT_NE(out.find("\"code\":\"profile-file-unsafe\""), std::string::npos); }},
        {"an installed PC whose flag file and list files are hard-linked",
         [&] {
             MakeHardLink(InPsip("Id.bin"), temp.Join({"flag link"}));
             MakeHardLink(twainList, temp.Join({"list link"}));
         },
         1,
         {"check", "auto"},
         true},
        {"an installed PC whose template is a link to a copy of it",
         [&] {
             WriteBytes(temp.Join({"template copy"}), ReadBytes(tpl));
             RemoveTree(tpl);
             MakeSymbolicLink(temp.Join({"template copy"}), tpl);
         },
         1,
         {"check", "auto"},
         true},
        {"an installed PC whose template and slot profile others may write",
         [&] {
#ifdef _WIN32
             ASSERT_TRUE(SetAccessRules(tpl, L"D:P(A;;FA;;;WD)"));
             ASSERT_TRUE(SetAccessRules(InPsip("FTS_EX000002.xml"), L"D:P(A;;FA;;;WD)"));
#else
             SetModeBits(tpl, 0666);
             SetModeBits(InPsip("FTS_EX000002.xml"), 0664);
#endif
         },
         1,
         {"check", "auto"},
         true},
        {"an installed PC with a template from before, checked with a folder that holds no kit",
         [&] {
             WriteBytes(tpl, "earlier");
             ShiftWriteTime(tpl, -3600);
             MakeFolder(temp.Join({"no kit"}));
         },
         0,
         {"check", "auto", "--source", temp.Join({"no kit"})},
         true},
        // Unzipped where the clock is nine hours ahead of UTC, the kit's files are nine hours
        // older than the time it was built with.
        {"a kit unzipped nine hours behind its time",
         [&] { ShiftWriteTime(platform::JoinPath(twainSource, "bkbook_multi.fts"), -32400); }, 0},
        {"a PC installed from a kit unzipped nine hours behind, checked with the kit as built",
         [&] {
             const std::string kitTemplate = platform::JoinPath(twainSource, "bkbook_multi.fts");
             ShiftWriteTime(kitTemplate, -32400);
             ASSERT_EQ(Run({"install", "auto"}), 0);
             ShiftWriteTime(kitTemplate, 32400);
         },
         0,
         {"check", "auto"}},
    };
#ifndef _WIN32
    const char* keep = std::getenv("BRENWICK_FOLDER_STATES_KEEP");
#endif
    int row = 0;
    for (const auto& state : states) {
        SCOPED_TRACE(state.name);
        SetUp();
        ShipKit();
#ifndef _WIN32
        const long long kitTime = WriteTimeOf(platform::JoinPath(twainSource, "bkbook_multi.fts"));
#endif
        if (state.installedFirst) {
            ASSERT_EQ(Run({"install", "auto"}), 0);
        }
        state.prepare();
        const auto before = TreeSnapshot(commonAppData);
        const auto with = [&](std::vector<std::string> words) {
            words.insert(words.begin(), state.command.begin(), state.command.end());
            return words;
        };
        // A check has no dry run: it changes nothing.
        const bool checkOnly = state.command[0] == "check";
        const int exitCode = Run(with({checkOnly ? "--json" : "--dry-run", "--json"}));
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
        if (exitCode == 0 && !checkOnly) {
            const int checkCode = state.checkCode != -1 ? state.checkCode : uninstall ? 1 : 0;
            EXPECT_EQ(Run(check), checkCode) << out;
            const auto done = TreeSnapshot(commonAppData);
            EXPECT_EQ(Run(with({})), 0);
            EXPECT_EQ(TreeSnapshot(commonAppData), done) << "a second run wrote";
        }
        scanner.reset();
#ifndef _WIN32
        if (keep != nullptr) {
            // The scripts answer plain check's question: only the kit's folder is passed on.
            const auto source = std::find(state.command.begin(), state.command.end(), "--source");
            const std::string kit =
                source == state.command.end() ? temp.Join({"kit"}) : *(source + 1);
            const int checked = Run({"check", "auto", "--source", kit});
            KeepRow(keep, row, temp.Path(), state.name, checked, kitTime, kit);
        }
#endif
        ++row;
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
