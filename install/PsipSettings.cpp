#include "install/PsipSettings.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "ini/SlotNumber.h"
#include "install/DriverFiles.h"
#include "install/FlagFile.h"
#include "install/FolderMirror.h"
#include "install/ListFile.h"
#include "install/SlotKey.h"
#include "text/Cp932.h"

namespace {

const char* const kSection = kPsipSection;
const char* const kListFile = kPsipListFile;
constexpr int kLastFreeSlotTried = 99;

struct Slot {
    std::string key;
    SlotAction action = SlotAction::None;
    std::int64_t number = 0;
};

// The entry that carries the name, else the first free one of 1 to 99 by number, else a
// new one after the last. None when the section holds no entry at all.
Slot TakeSlot(CINIRead& list, const std::string& name) {
    std::string line;
    if (list.FindValueLine(kSection, name, line) != 0) {
        std::string key = line.substr(0, cp932::FindChar(line, '='));
        const std::int64_t number = LeadingNumber(key);
        return Slot{std::move(key), SlotAction::Reused, number};
    }
    for (int number = 1; number <= kLastFreeSlotTried; ++number) {
        std::string key = FormatSlotKey(number, 6);
        if (list.FillEmptyKey(kSection, key, name) > 0) {
            return Slot{std::move(key), SlotAction::Filled, number};
        }
    }
    std::string key;
    if (list.AppendInformationsKey(name, key) == 0) {
        return Slot{};
    }
    const std::int64_t number = LeadingNumber(key);
    return Slot{std::move(key), SlotAction::Appended, number};
}

StepKind StepOf(SlotAction action) {
    return action == SlotAction::Reused   ? StepKind::ReuseEntry
           : action == SlotAction::Filled ? StepKind::FillEntry
                                          : StepKind::AppendEntry;
}

// The entry of the profile: found, filled or added. -1 when the plan stops.
int PlanEntry(InstallPlan& plan, const std::string& name, Slot& slot) {
    const std::string listPath = plan.settings.folder.PathOf(kListFile);
    slot = TakeSlot(plan.list, name);
    if (slot.action == SlotAction::None) {
        // Entries, but no number above them left for a new one.
        return plan.Stop(plan.list.HasKeyLine(kSection) ? FailureCause::SlotOutOfRange
                                                        : FailureCause::ListSectionMissing,
                         listPath);
    }
    if (slot.action != SlotAction::Reused && !HasFlagByte(slot.number)) {
        return plan.Stop(FailureCause::SlotOutOfRange, listPath);
    }
    if (!IsSafeProfileKey(slot.key)) {
        return plan.Stop(FailureCause::SlotKeyUnsafe, listPath);
    }
    InstallReport& report = plan.Report();
    report.action = slot.action;
    report.key = slot.key;
    if (slot.action == SlotAction::Reused) {
        plan.Note(StepKind::ReuseEntry, listPath, slot.key);
    } else {
        plan.EditList(StepOf(slot.action), listPath, slot.key, slot.number);
    }
    return 0;
}

FailureCause ProfileFailureCause(platform::FileStatus status) {
    return status == platform::FileStatus::Locked ? FailureCause::ProfileFileLocked
                                                  : FailureCause::ProfileRenameFailed;
}

// The kit's profile under the slot's name, whatever stood there before. A profile that
// already is the kit's is no step. -1 when the plan stops.
int PlanProfilePlacement(InstallPlan& plan, const std::string& key,
                         const std::shared_ptr<const platform::KitFile>& kit) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string target = SlotProfileFile(key);
    const std::string targetPath = folder.PathOf(target);
    platform::FileInfo info;
    const platform::FileStatus found = platform::InspectFile(folder, target, info);
    if (found != platform::FileStatus::Missing &&
        (found != platform::FileStatus::Ok || info.kind != platform::FileKind::Regular)) {
        return plan.Stop(FailureCause::ProfileRenameFailed, targetPath);
    }
    if (found == platform::FileStatus::Ok &&
        (kit == nullptr || HoldsKitBytes(folder, target, kit->bytes))) {
        return 0;  // the kit's already, or (checked without a kit) present
    }
    if (found == platform::FileStatus::Ok && info.readOnly) {
        return plan.Stop(FailureCause::ProfileRenameFailed, targetPath);
    }
    const platform::FileStatus replaceable =
        plan.Exclusive()
            ? platform::CheckCopyTarget(folder, target, platform::HiddenTarget::Replace)
            : platform::FileStatus::Ok;
    if (replaceable != platform::FileStatus::Ok) {
        return plan.Stop(ProfileFailureCause(replaceable), targetPath);
    }
    const platform::FileIdentity expected = info.identity;
    plan.Add(
        StepKind::PlaceProfile, targetPath, key, 0,
        [&folder, target, kit, expected] {
            return kit == nullptr
                       ? platform::FileStatus::Missing
                       : platform::WriteKitFile(folder, target, *kit,
                                                platform::HiddenTarget::Replace, &expected);
        },
        ProfileFailureCause);
    return 0;
}

// A profile left under the shipped name by an earlier run is taken away, as the rename it
// stands for always did. -1 when the plan stops.
int PlanShippedNameRemoval(InstallPlan& plan) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string path = folder.PathOf(kShippedProfile);
    platform::FileInfo info;
    const platform::FileStatus found = platform::InspectFile(folder, kShippedProfile, info);
    if (found == platform::FileStatus::Missing) {
        return 0;
    }
    if (found != platform::FileStatus::Ok || info.kind == platform::FileKind::Folder) {
        return plan.Stop(FailureCause::ProfileRenameFailed, path);
    }
    const platform::FileIdentity expected = info.identity;
    plan.Add(
        StepKind::RemoveShipped, path, std::string(), 0,
        [&folder, expected] { return platform::RemoveFile(folder, kShippedProfile, &expected); },
        [](platform::FileStatus) { return FailureCause::ProfileRenameFailed; });
    return 0;
}

// The kit's profile, read whole; null when the check goes on without it.
int ReadKitProfile(InstallPlan& plan, const std::string& sourceFolder,
                   const InstallOptions& options, std::shared_ptr<const platform::KitFile>& kit) {
    const std::string path = platform::JoinPath(sourceFolder, kShippedProfile);
    auto read = std::make_shared<platform::KitFile>();
    const platform::FileStatus status = platform::ReadKitFile(path, kKitFileLimit, *read);
    if (status == platform::FileStatus::Ok) {
        kit = std::move(read);
        return 0;
    }
    if (!plan.Exclusive() && status != platform::FileStatus::TooLarge) {
        Notice(options, plan.Report(), KitNotComparedWarning(path));
        return 0;
    }
    return plan.Stop(KitFileFailureCause(status), path);
}

// The slot's flag raised: always for a slot taken now, and for a reused entry whose flag
// file is there but has the flag low. -1 when the plan stops.
int PlanFlag(InstallPlan& plan, const Slot& slot) {
    const std::string path = plan.settings.folder.PathOf(kFlagFileName);
    std::string bytes;
    platform::FileIdentity identity;
    if (slot.action == SlotAction::Reused) {
        // A listed profile leaves a missing or unreadable flag file alone, as it always did.
        if (!HasFlagByte(slot.number) ||
            ReadFlagFile(plan, false, bytes, identity) != platform::FileStatus::Ok) {
            return 0;
        }
        plan.Report().flag = FlagByteOf(bytes, slot.number);
        if (plan.Report().flag == kFlagRaised) {
            return 0;
        }
    }
    const platform::FileStatus read = ReadFlagFile(plan, true, bytes, identity);
    if (read != platform::FileStatus::Ok) {
        return plan.Stop(FlagFileFailureCause(read), path);
    }
    plan.Report().flag = FlagByteOf(bytes, slot.number);
    const std::string raised = WithFlagsRaised(bytes, {slot.number});
    if (raised == bytes) {
        return 0;
    }
    const platform::Folder& folder = plan.settings.folder;
    plan.Add(
        StepKind::RaiseFlag, path, std::string(), slot.number,
        [&folder, raised, identity] {
            return platform::WriteFileReplacing(folder, kFlagFileName, raised, &identity);
        },
        FlagFileFailureCause);
    return 0;
}

}  // namespace

void PlanPsipInstall(const std::string& sourceFolder, const InstallOptions& options,
                     InstallPlan& plan) {
    const FolderSearch search = FindPsipSettingsFolder(plan.settings);
    std::shared_ptr<const platform::KitFile> kit;
    Slot slot;
    if (plan.EnterSettingsFolder(search, kPsipFolderMissing, options) != 0 ||
        PlanFolderMirror(sourceFolder, kShippedProfile, options, plan) != 0 ||
        PlanListLoad(plan, kListFile) != 0 || PlanEntry(plan, kPsipProfileName, slot) != 0 ||
        ReadKitProfile(plan, sourceFolder, options, kit) != 0 ||
        PlanProfilePlacement(plan, slot.key, kit) != 0 || PlanShippedNameRemoval(plan) != 0 ||
        PlanFlag(plan, slot) != 0) {
        return;
    }
    if (slot.action != SlotAction::Reused) {
        PlanListSave(plan, kListFile);
    }
}

int InstallPsipSettings(const std::string& sourceFolder) {
    InstallReport report;
    return InstallPsipSettings(sourceFolder, InstallOptions{}, report);
}

int InstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                        InstallReport& report) {
    return RunPlanned(options, report,
                      [&](InstallPlan& plan) { PlanPsipInstall(sourceFolder, options, plan); });
}
