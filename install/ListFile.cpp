#include "install/ListFile.h"

namespace {

FailureCause SaveFailureCause(platform::FileStatus status) {
    return status == platform::FileStatus::Locked ? FailureCause::ListFileLocked
                                                  : FailureCause::SaveFailed;
}

}  // namespace

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
        case platform::FileStatus::TooLarge:
            return FailureCause::ListFileTooLarge;
        case platform::FileStatus::OutOfMemory:
            return FailureCause::OutOfMemory;
        default:
            return FailureCause::ListFileUnreadable;
    }
}

int PlanListLoad(InstallPlan& plan, const std::string& name) {
    const platform::Folder& folder = plan.settings.folder;
    platform::FileStatus status = platform::FileStatus::Ok;
    if (plan.Exclusive()) {
        status = plan.list.Load(folder, name, kListFileLimit) == 0 ? platform::FileStatus::Ok
                                                                   : plan.list.LastFileStatus();
    } else {
        std::string bytes;
        platform::FileIdentity identity;
        status = platform::ReadFileShared(folder, name, kListFileLimit, bytes, identity);
        plan.list.LoadBytes(bytes);
    }
    return status == platform::FileStatus::Ok
               ? 0
               : plan.Stop(ListFileFailureCause(status), folder.PathOf(name));
}

int PlanListSave(InstallPlan& plan, const std::string& name) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string path = folder.PathOf(name);
    if (plan.Exclusive() && plan.list.CheckSave(folder, name) != 0) {
        return plan.Stop(SaveFailureCause(plan.list.LastFileStatus()), path);
    }
    CINIRead& list = plan.list;
    plan.Add(
        StepKind::SaveList, path, std::string(), 0,
        [&list, &folder, name] {
            return list.Save(folder, name) == 0 ? platform::FileStatus::Ok : list.LastFileStatus();
        },
        SaveFailureCause);
    return 0;
}
