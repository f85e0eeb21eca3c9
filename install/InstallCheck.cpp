#include "install/InstallCheck.h"

#include "install/DriverFiles.h"
#include "install/InstallPlan.h"
#include "install/PsipSettings.h"
#include "install/TwainSettings.h"

namespace {

// The piece a planned step would put right.
const char* PieceOf(const InstallStep& step, const std::string& templateFile) {
    switch (step.kind) {
        case StepKind::FillEntry:
        case StepKind::AppendEntry:
            return "entry";
        case StepKind::PlaceProfile:
        case StepKind::RemoveShipped:
            return "profile-file";
        case StepKind::RaiseFlag:
            return "flag";
        case StepKind::CopyFile:
            return step.file == templateFile ? "template-file" : "profile-set";
        default:
            return nullptr;
    }
}

// The piece whose state stops the installation.
const char* PieceOf(FailureCause cause) {
    switch (cause) {
        case FailureCause::SettingsFolderMissing:
            return "settings-folder";
        case FailureCause::ListFileMissing:
        case FailureCause::ListFileReadOnly:
        case FailureCause::ListFileLocked:
        case FailureCause::ListFileUnsafe:
        case FailureCause::ListFileUnreadable:
        case FailureCause::ListFileTooLarge:
            return "list-file";
        case FailureCause::ListSectionMissing:
        case FailureCause::NoFreeSlot:
        case FailureCause::SlotOutOfRange:
            return "entry";
        case FailureCause::TemplateMissing:
            return "template-file";
        default:
            return nullptr;
    }
}

void AddPiece(std::vector<std::string>& missing, const char* piece) {
    if (piece == nullptr) {
        return;
    }
    for (const std::string& known : missing) {
        if (known == piece) {
            return;
        }
    }
    missing.emplace_back(piece);
}

InstallCheck CheckWith(void (*planner)(const std::string&, const InstallOptions&, InstallPlan&),
                       const std::string& sourceFolder, const char* templateName) {
    InstallPlan plan(PlanReads::Shared);
    InstallOptions quiet;
    quiet.warn = [](const std::string&) {};
    RunReported(plan.Report(), [&] {
        planner(sourceFolder, quiet, plan);
        return plan.Conclude();
    });
    const std::string templateFile = templateName == nullptr || !plan.settings.folder.IsOpen()
                                         ? std::string()
                                         : plan.settings.folder.PathOf(templateName);
    return CheckOfPlan(plan.Report(), templateFile);
}

}  // namespace

InstallCheck CheckOfPlan(const InstallReport& plan, const std::string& templateFile) {
    InstallCheck check;
    check.settingsFolder = plan.settingsFolder;
    check.cause = plan.cause;
    check.failedFile = plan.failedFile;
    check.warnings = plan.warnings;
    bool changes = false;
    for (const InstallStep& step : plan.steps) {
        if (step.kind == StepKind::ReuseEntry) {
            check.key = step.key;
        }
        changes = changes || WritesFile(step.kind) || EditsList(step.kind);
        AddPiece(check.missing, PieceOf(step, templateFile));
    }
    AddPiece(check.missing, PieceOf(plan.cause));
    if (plan.cause == FailureCause::CopyFailed || plan.cause == FailureCause::CopyTargetLocked) {
        AddPiece(check.missing, plan.failedFile == templateFile ? "template-file" : "profile-set");
    }
    check.flag = check.key.empty() ? -1 : plan.flag;
    check.installed = !changes && plan.cause == FailureCause::None;
    return check;
}

InstallCheck CheckPsipInstalled(const std::string& sourceFolder) {
    return CheckWith(PlanPsipInstall, sourceFolder, nullptr);
}

InstallCheck CheckTwainInstalled(const std::string& sourceFolder) {
    return CheckWith(PlanTwainInstall, sourceFolder, kTemplateFile);
}
