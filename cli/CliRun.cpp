#include "cli/CliRun.h"

#include "app/InstallCommand.h"
#include "app/SourceFolder.h"
#include "install/InstallCheck.h"
#include "install/SettingsFolder.h"
#include "platform/Platform.h"

namespace {

bool HasSettingsFolder(Driver driver) {
    SettingsFolder found;
    return (driver == Driver::Psip ? FindPsipSettingsFolder(found)
                                   : FindTwainSettingsFolder(found)) == FolderSearch::Found;
}

std::vector<Driver> ChosenDrivers(DriverChoice choice) {
    if (choice != DriverChoice::Auto) {
        return {choice == DriverChoice::Psip ? Driver::Psip : Driver::Twain};
    }
    std::vector<Driver> drivers;
    for (const Driver driver : {Driver::Psip, Driver::Twain}) {
        if (HasSettingsFolder(driver)) {
            drivers.push_back(driver);
        }
    }
    return drivers;
}

DriverOutcome Install(Driver driver, const std::string& source, const InstallOptions& options) {
    InstallReport report;
    DriverOutcome outcome;
    outcome.driver = driver;
    outcome.hasResult = true;
    // The dialog's own install command, with its choice: 0 PaperStream IP, 1 fi-series.
    outcome.result =
        InstallSelectedDriver(driver == Driver::Psip ? 0 : 1, source, source, options, report);
    outcome.installed = outcome.result == 0;
    outcome.settingsFolder = report.settingsFolder;
    outcome.action = report.action;
    outcome.key = report.key;
    outcome.cause = report.cause;
    outcome.failedFile = report.failedFile;
    outcome.steps = std::move(report.steps);
    outcome.warnings = std::move(report.warnings);
    return outcome;
}

DriverOutcome Check(Driver driver, const std::string& source) {
    const InstallCheck check =
        driver == Driver::Psip ? CheckPsipInstalled(source) : CheckTwainInstalled(source);
    DriverOutcome outcome;
    outcome.driver = driver;
    outcome.settingsFolder = check.settingsFolder;
    outcome.installed = check.installed;
    outcome.key = check.key;
    outcome.cause = check.cause;
    outcome.failedFile = check.failedFile;
    outcome.flag = check.flag;
    outcome.missing = check.missing;
    return outcome;
}

}  // namespace

std::string KitSourceFolder(const std::string& kitFolder, Driver driver) {
    const char* leaf = driver == Driver::Psip ? "PSIP" : "Twain";
    return kitFolder.empty() ? MakeSourceFolder(platform::ExecutablePath(), leaf)
                             : platform::JoinPath(kitFolder, leaf);
}

RunOutcome RunCommand(const CliOptions& options,
                      const std::function<void(const std::string&)>& warn) {
    RunOutcome run;
    run.command = options.command;
    run.dryRun = options.dryRun;
    const std::vector<Driver> drivers = ChosenDrivers(options.driver);
    if (drivers.empty()) {
        run.exitCode = kExitNoDriver;
        return run;
    }
    InstallOptions installOptions;
    installOptions.dryRun = options.dryRun;
    installOptions.warn = warn;
    for (const Driver driver : drivers) {
        const std::string source = KitSourceFolder(options.source, driver);
        run.drivers.push_back(options.command == CliCommand::Check
                                  ? Check(driver, source)
                                  : Install(driver, source, installOptions));
        if (!run.drivers.back().installed) {
            run.exitCode = kExitFailed;
        }
    }
    return run;
}
