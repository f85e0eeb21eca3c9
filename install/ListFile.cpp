#include "install/ListFile.h"

#include "ini/SlotNumber.h"

int PlanListLoad(InstallPlan& plan, const std::string& name, MissingList missing) {
    const platform::Folder& folder = plan.settings.folder;
    // Read as any reader may: whether the file may be written is asked only of a plan that
    // writes it, so that a run with nothing to do succeeds whatever the file's mode.
    const platform::FileStatus status = plan.list.LoadShared(folder, name, kListFileLimit) == 0
                                            ? platform::FileStatus::Ok
                                            : plan.list.LastFileStatus();
    if (status == platform::FileStatus::Missing && missing == MissingList::IsEmpty) {
        plan.list.LoadBytes(std::string());
        return 0;
    }
    return status == platform::FileStatus::Ok
               ? 0
               : plan.Stop(CauseOf(FileRole::ListFile, status), folder.PathOf(name));
}

int PlanListSave(InstallPlan& plan, const std::string& name) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string path = folder.PathOf(name);
    const platform::FileStatus savable = plan.MayWrite([&] {
        return plan.list.CheckSave(folder, name) == 0 ? platform::FileStatus::Ok
                                                      : plan.list.LastFileStatus();
    });
    if (savable != platform::FileStatus::Ok) {
        return plan.Stop(CauseOf(FileRole::ListSave, savable), path);
    }
    CINIRead& list = plan.list;
    plan.Add(
        StepKind::SaveList, path, std::string(), 0,
        [&list, &folder, name] {
            return list.Save(folder, name) == 0 ? platform::FileStatus::Ok : list.LastFileStatus();
        },
        [](platform::FileStatus status) { return CauseOf(FileRole::ListSave, status); });
    return 0;
}

FailureCause NoEntryCause(const CINIRead& list, const char* section, FailureCause full) {
    return list.HasKeyLine(section)         ? full
           : list.HasSectionHeader(section) ? FailureCause::ListSectionEmpty
                                            : FailureCause::ListSectionMissing;
}

ListEntries FindEntriesToRemove(InstallPlan& plan, const char* section, const std::string& value) {
    ListEntries entries = plan.list.FindValueEntries(section, value);
    InstallReport& report = plan.Report();
    report.action = entries.empty() ? SlotAction::Absent : SlotAction::Removed;
    report.key = entries.empty() ? std::string() : entries.front().key;
    return entries;
}

void PlanEntryEdits(InstallPlan& plan, const std::string& listFile, const ListEntries& entries,
                    const std::function<bool(const CINIRead::ValueEntry&)>& removes) {
    const std::string listPath = plan.settings.folder.PathOf(listFile);
    for (const CINIRead::ValueEntry& entry : entries) {
        plan.EditList(removes(entry) ? StepKind::RemoveEntry : StepKind::EmptyEntry, listPath,
                      entry.key, KeyNumber(entry.key).value_or(-1));
    }
    std::vector<bool> removed;
    removed.reserve(entries.size());
    for (const CINIRead::ValueEntry& entry : entries) {
        removed.push_back(removes(entry));
    }
    plan.list.EmptyOrRemoveEntries(entries, removed);
}
