#pragma once
// What the console program does for one command line: which drivers it handles, and for
// each the report of its run or check. Its output, its log and its exit code are all read
// from this.

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "install/Drivers.h"
#include "install/InstallReport.h"

// The exit codes, for deployment systems.
constexpr int kExitInstalled = 0;  // every chosen driver installed
constexpr int kExitFailed = 1;     // an installation failed, or a driver is not installed
constexpr int kExitUsage = 2;      // a command line not understood
constexpr int kExitNoDriver = 3;   // auto found no driver settings folder
// A driver file is held by another program: try again later, as deployment systems do by
// themselves with this code (another installation is in progress, to Windows Installer).
constexpr int kExitBusy = 1618;

// The layout of the JSON object and of the log record: raised when a field changes its
// meaning or goes, so that a report over many PCs' outputs can tell them apart.
constexpr int kSchemaVersion = 1;

struct DriverOutcome {
    const Driver* driver = nullptr;
    InstallReport report;
};

struct RunOutcome {
    bool commandKnown = true;  // false when the command line was not understood
    CliCommand command = CliCommand::Install;
    bool dryRun = false;
    int exitCode = kExitInstalled;
    // Why nothing was done at all: "usage", "no-driver".
    std::string errorCode;
    std::string errorMessage;  // UTF-8
    std::vector<DriverOutcome> drivers;
    std::vector<std::string> warnings;  // of the run as a whole (its log), UTF-8
    // Where and when it ran, as its log record says (UTF-8; the time with its UTC offset).
    std::string computer;
    std::string time;
    // The kit's identity: for every driver, the SHA-256 of its profile or template as the kit
    // holds it (empty where it cannot be read); none for a command line not understood.
    struct KitHash {
        const Driver* driver;
        std::string sha256;
    };
    std::vector<KitHash> kit;
};

// The exit code of a run over several drivers: a failure beats a driver file held by another
// program, which beats success.
int ExitCodeOf(const std::vector<DriverOutcome>& drivers);

// Runs an install, uninstall or check command. A warning is handed to `warn` (UTF-8) as it
// comes, as the dialog would show it in a box.
RunOutcome RunCommand(const CliOptions& options, const Warning& warn);
