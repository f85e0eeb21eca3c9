#include "install/InstallReport.h"

#include <new>

#include "platform/Platform.h"

const char* FailureCode(FailureCause cause) {
    switch (cause) {
        case FailureCause::None:
            return "none";
        case FailureCause::SettingsFolderMissing:
            return "settings-folder-missing";
        case FailureCause::ListFileMissing:
            return "list-file-missing";
        case FailureCause::ListFileReadOnly:
            return "list-file-read-only";
        case FailureCause::ListFileLocked:
            return "list-file-locked";
        case FailureCause::ListFileUnsafe:
            return "list-file-unsafe";
        case FailureCause::ListFileUnreadable:
            return "list-file-unreadable";
        case FailureCause::ListFileTooLarge:
            return "list-file-too-large";
        case FailureCause::ListSectionMissing:
            return "list-section-missing";
        case FailureCause::NoFreeSlot:
            return "no-free-slot";
        case FailureCause::SlotOutOfRange:
            return "slot-out-of-range";
        case FailureCause::SlotKeyUnsafe:
            return "slot-key-unsafe";
        case FailureCause::KitFileMissing:
            return "kit-file-missing";
        case FailureCause::KitFileUnreadable:
            return "kit-file-unreadable";
        case FailureCause::KitFileTooLarge:
            return "kit-file-too-large";
        case FailureCause::ProfileRenameFailed:
            return "profile-rename-failed";
        case FailureCause::ProfileFileLocked:
            return "profile-file-locked";
        case FailureCause::ProfileRemoveFailed:
            return "profile-remove-failed";
        case FailureCause::CopyFailed:
            return "copy-failed";
        case FailureCause::CopyTargetLocked:
            return "copy-target-locked";
        case FailureCause::FlagFileMissing:
            return "flag-file-missing";
        case FailureCause::FlagFileReadOnly:
            return "flag-file-read-only";
        case FailureCause::FlagFileLocked:
            return "flag-file-locked";
        case FailureCause::FlagFileUnsafe:
            return "flag-file-unsafe";
        case FailureCause::FlagFileIo:
            return "flag-file-io";
        case FailureCause::FlagFileTooLarge:
            return "flag-file-too-large";
        case FailureCause::SaveFailed:
            return "save-failed";
        case FailureCause::FileChanged:
            return "file-changed";
        case FailureCause::TemplateMissing:
            return "template-missing";
        case FailureCause::OutOfMemory:
            return "out-of-memory";
        case FailureCause::Unexpected:
            break;
    }
    return "unexpected";
}

bool IsBusy(FailureCause cause) {
    return cause == FailureCause::ListFileLocked || cause == FailureCause::FlagFileLocked ||
           cause == FailureCause::ProfileFileLocked || cause == FailureCause::CopyTargetLocked ||
           cause == FailureCause::FileChanged;
}

bool WritesFile(StepKind kind) {
    switch (kind) {
        case StepKind::CopyFile:
        case StepKind::PlaceProfile:
        case StepKind::RemoveShipped:
        case StepKind::RaiseFlag:
        case StepKind::RemoveProfile:
        case StepKind::LowerFlag:
        case StepKind::SaveList:
            return true;
        default:
            return false;
    }
}

bool EditsList(StepKind kind) {
    return kind == StepKind::FillEntry || kind == StepKind::AppendEntry ||
           kind == StepKind::EmptyEntry || kind == StepKind::RemoveEntry;
}

void InstallReport::AddStep(StepKind kind, const std::string& file, const std::string& stepKey,
                            std::int64_t slot) {
    steps.push_back(InstallStep{kind, file, stepKey, slot, false});
}

bool InstallReport::HasStep(StepKind kind) const {
    for (const InstallStep& step : steps) {
        if (step.kind == kind) {
            return true;
        }
    }
    return false;
}

bool InstallReport::Writes() const {
    for (const InstallStep& step : steps) {
        if (WritesFile(step.kind)) {
            return true;
        }
    }
    return false;
}

int InstallReport::Fail(FailureCause failure, const std::string& file) {
    cause = failure;
    failedFile = file;
    return -1;
}

void Warn(const InstallOptions& options, InstallReport& report, const std::string& text) {
    report.warnings.push_back(text);
    if (options.warn) {
        options.warn(text);
    } else {
        platform::ShowMessageBox(text);
    }
}

void Notice(const InstallOptions& options, InstallReport& report, const std::string& text) {
    report.warnings.push_back(text);
    if (options.warn) {
        options.warn(text);
    }
}

int RunReported(InstallReport& report, const std::function<int()>& install) {
    try {
        return install();
    } catch (const std::bad_alloc&) {
        return report.Fail(FailureCause::OutOfMemory, std::string());
    } catch (...) {
        return report.Fail(FailureCause::Unexpected, std::string());
    }
}
