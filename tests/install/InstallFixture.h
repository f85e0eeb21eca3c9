#pragma once
// Driver folders and a kit on disk for installer tests. On POSIX the common application-data
// folder is a temporary one (through "ProgramData"); on Windows it is the system's own, and
// the driver folders made in it are removed afterwards.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "install/InstallReport.h"
#include "support/TempFolder.h"

// An installer, uninstaller or the dialog's command with options and a report.
using ReportedRun = std::function<int(const InstallOptions&, InstallReport&)>;

class InstallFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string PsipFolder() const;
    std::string TwainFolder() const;
    std::string FallbackTwainFolder() const;
    std::string InPsip(const char* name) const;

    // The kit beside the executable: PSIP/ with the shipped profile, Twain/ with a template.
    void ShipKit();
    std::vector<std::string> TakeBoxes();

    // Runs `run` as a dry run, then for real. The dry run must change nothing and predict the
    // real run's result, cause, action and key (unless the test seam plans a failure, which a
    // dry run may not meet); the real run must report as done exactly the steps whose files
    // it changed. Neither holds for a run that another user `steered` while it ran. Gives the
    // real run's report and result.
    InstallReport RunPredicted(const ReportedRun& run, int& result, bool steered = false);

    TempFolder temp;
    std::string commonAppData;
    std::string windowsFolder;
    std::string psipSource;
    std::string twainSource;
};

// "通帳マルチ" in code page 932.
extern const std::string kProfileName;
// The warnings of the two installers.
extern const std::string kTwainFolderMissing;
extern const std::string kPsipFolderMissing;
