#include "install/ListFile.h"

FailureCause ListFileFailureCause(platform::FileStatus status) {
    switch (status) {
        case platform::FileStatus::Missing:
            return FailureCause::ListFileMissing;
        case platform::FileStatus::ReadOnly:
            return FailureCause::ListFileReadOnly;
        case platform::FileStatus::Locked:
            return FailureCause::ListFileLocked;
        case platform::FileStatus::Unsafe:
        case platform::FileStatus::Changed:
            return FailureCause::ListFileUnsafe;
        case platform::FileStatus::OutOfMemory:
            return FailureCause::OutOfMemory;
        default:
            return FailureCause::ListFileUnreadable;
    }
}

int LoadListFile(CINIRead& list, const platform::Folder& folder, const std::string& name,
                 InstallReport& report) {
    return list.Load(folder, name) == 0
               ? 0
               : report.Fail(ListFileFailureCause(list.LastFileStatus()), folder.PathOf(name));
}

int SaveListFile(CINIRead& list, const platform::Folder& folder, const std::string& name,
                 const InstallOptions& options, InstallReport& report) {
    const std::string path = folder.PathOf(name);
    const int saved = options.dryRun ? list.CheckSave(folder, name) : list.Save(folder, name);
    if (saved != 0) {
        return report.Fail(FailureCause::SaveFailed, path);
    }
    report.AddStep(StepKind::SaveList, path);
    return 0;
}
