#include "install/Drivers.h"

#include <algorithm>
#include <deque>

#include "install/InstallPlan.h"
#include "install/Inventory.h"
#include "install/PsipSettings.h"
#include "install/TwainSettings.h"

// clang-format off
const Driver kPsipDriver = {
    "psip",
    "PaperStream IP",
    "PaperStream IP (TWAIN) ドライバ",
    "PSIP",
    FindPsipSettingsFolders,
    "PFU設定ディレクトリ(7X)がありません！",
    PlanPsipInstall,
    PlanPsipUninstall,
    kShippedProfile,
    SlotProfileFile,
};

const Driver kTwainDriver = {
    "twain",
    "fiシリーズ TWAIN",
    "fiシリーズ TWAIN ドライバ",
    "Twain",
    FindTwainSettingsFolders,
    "PFU設定ディレクトリがありません！",
    PlanTwainInstall,
    PlanTwainUninstall,
    kTemplateFile,
    [](const std::string&) { return std::string(kTemplateFile); },
};
// clang-format on

const std::vector<const Driver*>& AllDrivers() {
    static const std::vector<const Driver*> drivers = {&kPsipDriver, &kTwainDriver};
    return drivers;
}

const Driver* FindDriver(std::string_view code) {
    for (const Driver* driver : AllDrivers()) {
        if (code == driver->code) {
            return driver;
        }
    }
    return nullptr;
}

const Driver& DriverOfChoice(int choice) {
    return *AllDrivers()[choice == 0 ? 0 : 1];
}

namespace {

// A check names the entry, and the flag of its slot, only when the profile is registered.
void KeepRegisteredEntryOnly(InstallReport& report) {
    const auto reused =
        std::find_if(report.steps.begin(), report.steps.end(),
                     [](const InstallStep& step) { return step.kind == StepKind::ReuseEntry; });
    const bool registered = reused != report.steps.end();
    report.key = registered ? reused->key : std::string();
    report.action = registered ? SlotAction::Reused : SlotAction::None;
    report.flag = registered ? report.flag : -1;
}

}  // namespace

namespace {

// The plans of one run carried out, or (a dry run, a check) concluded. Several plans are the
// folders of one removal: one that stops stops them all before anything is written.
int CarryOutPlans(std::deque<InstallPlan>& plans, bool carriedOut) {
    const bool anyStops = std::any_of(plans.begin(), plans.end(),
                                      [](const InstallPlan& plan) { return plan.Stops(); });
    for (InstallPlan& plan : plans) {
        const bool apply = carriedOut && (plans.size() == 1 || !anyStops);
        if ((apply ? plan.Apply() : plan.Conclude()) != 0) {
            return -1;
        }
    }
    return 0;
}

// One report of the plans: the steps and warnings of each in turn, the first failure, and the
// folder, action and key of the first that takes an entry away (else of the first).
InstallReport MergedReport(std::deque<InstallPlan>& plans) {
    InstallReport merged = std::move(plans.front().Report());
    for (std::size_t index = 1; index < plans.size(); ++index) {
        InstallReport& report = plans[index].Report();
        if (report.action == SlotAction::Removed && merged.action != SlotAction::Removed) {
            merged.settingsFolder = report.settingsFolder;
            merged.markerFile = report.markerFile;
            merged.action = report.action;
            merged.key = report.key;
        }
        merged.steps.insert(merged.steps.end(), report.steps.begin(), report.steps.end());
        merged.warnings.insert(merged.warnings.end(), report.warnings.begin(),
                               report.warnings.end());
        if (merged.cause == FailureCause::None) {
            merged.cause = report.cause;
            merged.failedFile = report.failedFile;
        }
        merged.flag = merged.flag >= 0 ? merged.flag : report.flag;
    }
    return merged;
}

}  // namespace

int RunDriver(const Driver& driver, PlanPurpose purpose, const std::string& kitSource,
              const InstallOptions& options, InstallReport& report) {
    const Planner planner =
        purpose == PlanPurpose::Uninstall ? driver.planUninstall : driver.planInstall;
    const bool carriedOut = purpose != PlanPurpose::Check && !options.dryRun;
    std::deque<InstallPlan> plans;
    InstallReport failure;
    const int result = RunReported(failure, [&] {
        std::vector<SettingsFolder> folders;
        const FolderSearch search = driver.findSettingsFolders(folders);
        // An installation and a check work in the best folder; a removal in every one.
        const std::size_t count =
            purpose == PlanPurpose::Uninstall && search == FolderSearch::Found ? folders.size() : 1;
        for (std::size_t index = 0; index < count; ++index) {
            InstallPlan& plan = plans.emplace_back(purpose, kitSource, options);
            if (plan.EnterSettingsFolder(driver, search, std::move(folders[index])) == 0) {
                planner(plan);
            }
            if (purpose == PlanPurpose::Check) {
                TakeInventory(plan, driver);
            }
        }
        return CarryOutPlans(plans, carriedOut);
    });
    report = plans.empty() ? InstallReport{} : MergedReport(plans);
    if (failure.cause != FailureCause::None) {
        report.Fail(failure.cause, failure.failedFile);
    }
    report.purpose = purpose;
    report.applied = carriedOut;
    if (purpose == PlanPurpose::Check) {
        KeepRegisteredEntryOnly(report);
    }
    return result;
}
