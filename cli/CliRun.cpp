#include "cli/CliRun.h"

#include "install/Inventory.h"
#include "install/KitFolder.h"
#include "install/SettingsFolder.h"

namespace {

// A folder another program holds is there: its driver is not dropped, its run says busy.
bool HasSettingsFolder(const Driver& driver) {
    std::vector<SettingsFolder> found;
    const FolderSearch search = driver.findSettingsFolders(found);
    return search == FolderSearch::Found || search == FolderSearch::Busy;
}

std::vector<const Driver*> ChosenDrivers(const Driver* chosen, CliCommand command) {
    if (chosen != nullptr) {
        return {chosen};
    }
    std::vector<const Driver*> drivers;
    for (const Driver* driver : AllDrivers()) {
        if (HasSettingsFolder(*driver)) {
            drivers.push_back(driver);
        }
    }
    // With no driver on the PC nothing is registered: each driver's removal says so. Deployment
    // systems run it after the driver may have been removed.
    return drivers.empty() && command == CliCommand::Uninstall ? AllDrivers() : drivers;
}

PlanPurpose PurposeOf(CliCommand command) {
    return command == CliCommand::Check       ? PlanPurpose::Check
           : command == CliCommand::Uninstall ? PlanPurpose::Uninstall
                                              : PlanPurpose::Install;
}

}  // namespace

RunOutcome RunCommand(const CliOptions& options, const Warning& warn) {
    RunOutcome run;
    run.command = options.command;
    run.dryRun = options.dryRun;
    for (const Driver* driver : AllDrivers()) {
        run.kit.push_back(
            {driver, KitFileSha256(KitSourceFolder(options.source, *driver), *driver)});
    }
    const std::vector<const Driver*> drivers = ChosenDrivers(options.driver, options.command);
    if (drivers.empty()) {
        run.exitCode = kExitNoDriver;
        run.errorCode = "no-driver";
        run.errorMessage = "ドライバの設定フォルダが見つかりません。何も変更していません。";
        return run;
    }
    InstallOptions installOptions(warn, warn);
    installOptions.dryRun = options.dryRun;
    installOptions.rollback = options.rollback;
    for (const Driver* driver : drivers) {
        DriverOutcome outcome{driver, InstallReport{}};
        RunDriver(*driver, PurposeOf(options.command), KitSourceFolder(options.source, *driver),
                  installOptions, outcome.report);
        run.drivers.push_back(std::move(outcome));
    }
    run.exitCode = ExitCodeOf(run.drivers);
    return run;
}

int ExitCodeOf(const std::vector<DriverOutcome>& drivers) {
    int exitCode = kExitInstalled;
    for (const DriverOutcome& driver : drivers) {
        const InstallReport& report = driver.report;
        // A check fails where something is missing; a run where it did not complete. A file
        // another program holds asks for a retry in both.
        const bool check = report.purpose == PlanPurpose::Check;
        const bool failed = check ? !report.Installed() : report.Result() != 0;
        const bool busy = IsBusy(report.cause);
        if (failed && !busy) {
            return kExitFailed;
        }
        if (failed) {
            exitCode = kExitBusy;
        }
    }
    return exitCode;
}
