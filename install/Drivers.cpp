#include "install/Drivers.h"

#include <algorithm>

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
    FindPsipSettingsFolder,
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
    FindTwainSettingsFolder,
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

int RunDriver(const Driver& driver, PlanPurpose purpose, const std::string& kitSource,
              const InstallOptions& options, InstallReport& report) {
    InstallPlan plan(purpose, kitSource, options);
    const Planner planner =
        purpose == PlanPurpose::Uninstall ? driver.planUninstall : driver.planInstall;
    const bool carriedOut = purpose != PlanPurpose::Check && !options.dryRun;
    const int result = RunReported(plan.Report(), [&] {
        if (plan.EnterSettingsFolder(driver) == 0) {
            planner(plan);
        }
        if (purpose == PlanPurpose::Check) {
            TakeInventory(plan, driver);
        }
        return carriedOut ? plan.Apply() : plan.Conclude();
    });
    report = std::move(plan.Report());
    report.purpose = purpose;
    report.applied = carriedOut;
    if (purpose == PlanPurpose::Check) {
        KeepRegisteredEntryOnly(report);
    }
    return result;
}
