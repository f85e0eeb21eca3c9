#include "install/InstallFixture.h"

#include "platform/Platform.h"
#include "platform/TestSeam.h"
#include "support/FileBytes.h"
#include "support/Stranger.h"

#include <set>

const std::string kProfileName = "\x92\xCA\x92\xA0\x83}\x83\x8B\x83`";
const std::string kTwainFolderMissing = "PFU設定ディレクトリがありません！";
const std::string kPsipFolderMissing = "PFU設定ディレクトリ(7X)がありません！";

void InstallFixture::SetUp() {
#ifndef _WIN32
    commonAppData = temp.Join({"ProgramData"});
    MakeFolder(commonAppData);
    SetEnvironment("ProgramData", commonAppData);
#else
    ASSERT_TRUE(platform::GetCommonAppDataFolder(commonAppData));
    RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
#endif
    windowsFolder = temp.Join({"Windows"});
    MakeFolder(windowsFolder);
    SetEnvironment("windir", windowsFolder);
    psipSource = temp.Join({"kit", "PSIP"});
    twainSource = temp.Join({"kit", "Twain"});
    platform::RecordMessageBoxes(true);
}

void InstallFixture::TearDown() {
    platform::ClearFailures();
    platform::TakeRecordedMessageBoxes();
    platform::RecordMessageBoxes(false);
#ifdef _WIN32
    RemoveTree(platform::JoinPath(commonAppData, "Fujitsu"));
#endif
}

std::string InstallFixture::PsipFolder() const {
    return platform::JoinPath(
        platform::JoinPath(platform::JoinPath(commonAppData, "Fujitsu"), "iCube"), "FTS");
}

std::string InstallFixture::TwainFolder() const {
    return platform::JoinPath(
        platform::JoinPath(platform::JoinPath(commonAppData, "Fujitsu"), "Fjtwain"), "FTS");
}

std::string InstallFixture::FallbackTwainFolder() const {
    return platform::JoinPath(platform::JoinPath(windowsFolder, "twain_32"), "fjscan32");
}

std::string InstallFixture::InPsip(const char* name) const {
    return platform::JoinPath(PsipFolder(), name);
}

void InstallFixture::ShipKit() {
    MakeFolder(psipSource);
    MakeFolder(twainSource);
    WriteBytes(platform::JoinPath(psipSource, "FTS_EX_BKBOOK.xml"), "<profile>shipped</profile>");
    WriteBytes(platform::JoinPath(twainSource, "bkbook_multi.fts"), "template");
}

std::vector<std::string> InstallFixture::TakeBoxes() {
    return platform::TakeRecordedMessageBoxes();
}

namespace {

// The files that differ between two snapshots of a tree.
std::set<std::string> ChangedFiles(const std::map<std::string, std::string>& before,
                                   const std::map<std::string, std::string>& after) {
    std::set<std::string> changed;
    for (const auto& [path, what] : before) {
        const auto now = after.find(path);
        if (now == after.end() || now->second != what) {
            changed.insert(path);
        }
    }
    for (const auto& [path, what] : after) {
        if (before.count(path) == 0) {
            changed.insert(path);
        }
    }
    return changed;
}

// The driver folders, wherever the system keeps them.
std::map<std::string, std::string> DriverTrees(const std::string& commonAppData,
                                               const std::string& windowsFolder) {
    std::map<std::string, std::string> trees = TreeSnapshot(commonAppData);
    const std::map<std::string, std::string> windows = TreeSnapshot(windowsFolder);
    trees.insert(windows.begin(), windows.end());
    return trees;
}

std::set<std::string> FilesWrittenByDoneSteps(const InstallReport& report) {
    std::set<std::string> files;
    for (const InstallStep& step : report.steps) {
        if (step.done && WritesFile(step.kind)) {
            files.insert(step.file);
        }
    }
    return files;
}

}  // namespace

InstallReport InstallFixture::RunPredicted(const ReportedRun& run, int& result, bool steered) {
    const bool predictable = !platform::AnyFailurePlanned() && !steered;
    const auto before = DriverTrees(commonAppData, windowsFolder);
    // The dialog's way of warning, which the tests record.
    InstallOptions dryRun(platform::ShowMessageBox);
    dryRun.dryRun = true;
    InstallReport plan;
    const int planned = predictable ? run(dryRun, plan) : 0;
    EXPECT_EQ(DriverTrees(commonAppData, windowsFolder), before) << "a dry run wrote";
    TakeBoxes();
    InstallReport report;
    result = run(InstallOptions(platform::ShowMessageBox), report);
    if (predictable) {
        EXPECT_EQ(planned, result);
        EXPECT_EQ(plan.cause, report.cause);
        EXPECT_EQ(plan.action, report.action);
        EXPECT_EQ(plan.key, report.key);
        for (const InstallStep& step : plan.steps) {
            EXPECT_FALSE(step.done) << "a dry run did " << step.file;
        }
    }
    // Nothing the run left out of the report, and nothing in it the run did not do; the
    // folder of a crashed write may hold its temporary file besides.
    if (steered) {
        return report;
    }
    std::set<std::string> changed = ChangedFiles(before, DriverTrees(commonAppData, windowsFolder));
    for (auto file = changed.begin(); file != changed.end();) {
        file = file->find(".~brenwick-") != std::string::npos ? changed.erase(file) : ++file;
    }
    EXPECT_EQ(changed, FilesWrittenByDoneSteps(report));
    // A stop the dry run foresaw wrote nothing it cannot give back: the profile set's copies
    // at most.
    for (const InstallStep& step : report.steps) {
        EXPECT_FALSE(predictable && planned != 0 && step.done && !CopiesKit(step.kind))
            << "a foreseen stop wrote " << step.file;
    }
    return report;
}
