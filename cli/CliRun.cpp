#include "cli/CliRun.h"

#include "app/InstallCommand.h"
#include "app/SourceFolder.h"
#include "install/InstallCheck.h"
#include "install/SettingsFolder.h"
#include "install/Uninstall.h"
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

DriverOutcome OutcomeOf(Driver driver, int result, InstallReport& report) {
    DriverOutcome outcome;
    outcome.driver = driver;
    outcome.hasResult = true;
    outcome.result = result;
    outcome.settingsFolder = report.settingsFolder;
    outcome.action = report.action;
    outcome.key = report.key;
    outcome.cause = report.cause;
    outcome.failedFile = report.failedFile;
    outcome.steps = std::move(report.steps);
    outcome.warnings = std::move(report.warnings);
    return outcome;
}

DriverOutcome Install(Driver driver, const std::string& source, const InstallOptions& options) {
    InstallReport report;
    // The dialog's own install command, with its choice: 0 PaperStream IP, 1 fi-series.
    const int result =
        InstallSelectedDriver(driver == Driver::Psip ? 0 : 1, source, source, options, report);
    // A dry run changes nothing: afterwards the driver is installed when nothing was to do.
    const bool installed = options.dryRun ? result == 0 && !report.Writes() : result == 0;
    DriverOutcome outcome = OutcomeOf(driver, result, report);
    outcome.installed = installed;
    return outcome;
}

DriverOutcome Uninstall(Driver driver, const std::string& source, const InstallOptions& options) {
    InstallReport report;
    const int result = driver == Driver::Psip ? UninstallPsipSettings(source, options, report)
                                              : UninstallTwainSettings(source, options, report);
    // The entries stay registered until the run that removes them succeeds.
    const bool registered = report.action == SlotAction::Removed && (options.dryRun || result != 0);
    DriverOutcome outcome = OutcomeOf(driver, result, report);
    outcome.installed = registered;
    return outcome;
}

DriverOutcome Check(Driver driver, const std::string& source,
                    const std::function<void(const std::string&)>& warn) {
    const InstallCheck check =
        driver == Driver::Psip ? CheckPsipInstalled(source) : CheckTwainInstalled(source);
    DriverOutcome outcome;
    outcome.driver = driver;
    outcome.settingsFolder = check.settingsFolder;
    outcome.installed = check.installed;
    outcome.key = check.key;
    outcome.action = check.key.empty() ? SlotAction::None : SlotAction::Reused;
    outcome.cause = check.cause;
    outcome.failedFile = check.failedFile;
    outcome.flag = check.flag;
    outcome.missing = check.missing;
    outcome.warnings = check.warnings;
    for (const std::string& warning : check.warnings) {
        warn(warning);
    }
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
        DriverOutcome outcome = options.command == CliCommand::Check ? Check(driver, source, warn)
                                : options.command == CliCommand::Uninstall
                                    ? Uninstall(driver, source, installOptions)
                                    : Install(driver, source, installOptions);
        run.drivers.push_back(std::move(outcome));
    }
    run.exitCode = ExitCodeOf(run.drivers);
    return run;
}

int ExitCodeOf(const std::vector<DriverOutcome>& drivers) {
    int exitCode = kExitInstalled;
    for (const DriverOutcome& driver : drivers) {
        const bool failed = driver.hasResult ? driver.result != 0 : !driver.installed;
        const bool busy = driver.hasResult && IsBusy(driver.cause);
        if (failed && !busy) {
            return kExitFailed;
        }
        if (failed) {
            exitCode = kExitBusy;
        }
    }
    return exitCode;
}
