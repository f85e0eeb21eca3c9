#include "install/TwainSettings.h"

#include "ini/SlotNumber.h"
#include "install/Drivers.h"
#include "install/FolderMirror.h"
#include "install/ListFile.h"
#include "text/Cp932.h"

namespace {

const char* const kSection = kTwainSection;
const char* const kListFile = kTwainListFile;
constexpr int kLastSlot = 99;

// The entry that carries the name, else the first free one of 01 to 99 by number.
SlotAction RegisterTemplate(CINIRead& list, const std::string& name, std::string& key) {
    std::string line;
    if (list.FindValueLine(kSection, name, line) != 0) {
        key = line.substr(0, cp932::FindChar(line, '='));
        return SlotAction::Reused;
    }
    if (list.FillFreeKey(kSection, SlotKeys(1, kLastSlot, 2), name, key) > 0) {
        return SlotAction::Filled;
    }
    key.clear();
    return SlotAction::None;
}

bool CopyPlanned(const InstallReport& report, const std::string& file) {
    for (const InstallStep& step : report.steps) {
        if (CopiesKit(step.kind) && WritesFile(step.kind) && step.file == file) {
            return true;
        }
    }
    return false;
}

bool TemplateInFolder(const platform::Folder& folder, const std::string& name) {
    platform::FileInfo info;
    return platform::InspectFile(folder, name, info) == platform::FileStatus::Ok &&
           info.kind == platform::FileKind::Regular;
}

// A template that is neither in the folder nor copied there cannot be registered: the
// driver would list a template it cannot open. -1 when the plan stops.
int PlanTemplatePresent(InstallPlan& plan, const std::string& name) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string path = folder.PathOf(name);
    if (CopyPlanned(plan.Report(), path)) {
        // The copy may yet fail: the run looks again before it registers anything.
        plan.Require([&folder, name] { return TemplateInFolder(folder, name); },
                     FailureCause::TemplateMissing, path);
        return 0;
    }
    platform::FileInfo info;
    const platform::FileStatus found = platform::InspectFile(folder, name, info);
    if (found == platform::FileStatus::Ok && info.kind != platform::FileKind::Regular) {
        // Not missing: something else stands there, which no copy replaces.
        return plan.Stop(CauseOf(FileRole::CopyTarget, platform::FileStatus::Unsafe), path);
    }
    return TemplateInFolder(folder, name) ? 0 : plan.Stop(FailureCause::TemplateMissing, path);
}

// The check compares with the kit's template; without one it says so.
void NoticeMissingKitTemplate(InstallPlan& plan) {
    const std::string path = platform::JoinPath(plan.KitSource(), kTemplateFile);
    platform::KitFile kit;
    if (plan.IsCheck() && platform::IsExistingDirectory(plan.KitSource()) &&
        platform::ReadKitFile(path, kKitFileLimit, kit) != platform::FileStatus::Ok) {
        plan.Notice(KitNotComparedWarning(path));
    }
}

int PlanRegistration(InstallPlan& plan, const std::string& name) {
    const std::string listPath = plan.settings.folder.PathOf(kListFile);
    InstallReport& report = plan.Report();
    report.action = RegisterTemplate(plan.list, name, report.key);
    if (report.action == SlotAction::None) {
        return plan.Stop(NoEntryCause(plan.list, kSection, FailureCause::NoFreeSlot), listPath);
    }
    if (report.action == SlotAction::Reused) {
        plan.Note(StepKind::ReuseEntry, listPath, report.key);
        return 0;
    }
    plan.EditList(StepKind::FillEntry, listPath, report.key, KeyNumber(report.key).value_or(-1));
    return PlanListSave(plan, kListFile);
}

// A kit file named like the list would be copied over it.
bool IsTwainDriverFile(const std::string& name) {
    return cp932::EqualsNoCase(name, kListFile);
}

}  // namespace

void PlanTwainInstall(InstallPlan& plan) {
    if (PlanFolderMirror(plan, std::string(), IsTwainDriverFile) != 0) {
        return;
    }
    NoticeMissingKitTemplate(plan);
    if (PlanTemplatePresent(plan, kTemplateFile) == 0 && PlanListLoad(plan, kListFile) == 0) {
        PlanRegistration(plan, kTemplateFile);
    }
}

void PlanTwainUninstall(InstallPlan& plan) {
    if (PlanListLoad(plan, kListFile, MissingList::IsEmpty) != 0) {
        return;
    }
    const ListEntries entries = FindEntriesToRemove(plan, kSection, kTemplateFile);
    if (!entries.empty()) {
        PlanEntryEdits(plan, kListFile, entries, [](const CINIRead::ValueEntry&) { return false; });
        PlanListSave(plan, kListFile);
    }
}

int InstallTwainSettings(const std::string& sourceFolder, const InstallOptions& options,
                         InstallReport& report) {
    return RunDriver(kTwainDriver, PlanPurpose::Install, sourceFolder, options, report);
}

int UninstallTwainSettings(const InstallOptions& options, InstallReport& report) {
    return RunDriver(kTwainDriver, PlanPurpose::Uninstall, std::string(), options, report);
}
