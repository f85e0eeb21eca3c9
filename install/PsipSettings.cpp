#include "install/PsipSettings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "ini/SlotNumber.h"
#include "install/Drivers.h"
#include "install/FlagFile.h"
#include "install/FolderMirror.h"
#include "install/ListFile.h"
#include "install/SlotKey.h"
#include "text/Cp932.h"

namespace {

const char* const kSection = kPsipSection;
const char* const kListFile = kPsipListFile;
constexpr int kLastFreeSlotTried = 99;
// The last slot the installer fills; an entry beyond it the installer has added.
constexpr std::int64_t kLastFilledSlot = kLastFreeSlotTried;

using KitProfile = std::shared_ptr<const platform::KitFile>;

struct Slot {
    std::string key;
    SlotAction action = SlotAction::None;
    // The slot whose flag the entry has; none for a key that stands for no slot.
    std::optional<std::int64_t> flagged;
};

// The entry that carries the name, else the first free one of 1 to 99 by number, else a
// new one after the last. None when the section holds no entry at all.
Slot TakeSlot(CINIRead& list, const std::string& name) {
    std::string line;
    if (list.FindValueLine(kSection, name, line) != 0) {
        std::string key = line.substr(0, cp932::FindChar(line, '='));
        return Slot{key, SlotAction::Reused, FlaggedSlotOf(key)};
    }
    std::string key;
    if (list.FillFreeKey(kSection, SlotKeys(1, kLastFreeSlotTried, 6), name, key) > 0) {
        return Slot{key, SlotAction::Filled, FlaggedSlotOf(key)};
    }
    if (list.AppendKey(kSection, name, key) == 0) {
        return Slot{};
    }
    return Slot{key, SlotAction::Appended, FlaggedSlotOf(key)};
}

// A kit file named like one of the driver's own files would be copied over it: the list, the
// flag file, or a slot's profile.
bool IsPsipDriverFile(const std::string& name) {
    const bool profile = name.size() >= 10 && cp932::EqualsNoCase(name.substr(0, 6), "FTS_EX") &&
                         cp932::EqualsNoCase(name.substr(name.size() - 4), ".xml");
    return (profile && !cp932::EqualsNoCase(name, kShippedProfile)) ||
           cp932::EqualsNoCase(name, kListFile) || cp932::EqualsNoCase(name, kFlagFileName);
}

// The entry of the profile: found, filled or added. -1 when the plan stops.
int PlanEntry(InstallPlan& plan, const std::string& name, Slot& slot) {
    const std::string listPath = plan.settings.folder.PathOf(kListFile);
    slot = TakeSlot(plan.list, name);
    if (slot.action == SlotAction::None) {
        // Entries, but no number above them left for a new one.
        return plan.Stop(NoEntryCause(plan.list, kSection, FailureCause::SlotOutOfRange), listPath);
    }
    if (slot.action != SlotAction::Reused && !slot.flagged) {
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
        plan.EditList(
            slot.action == SlotAction::Filled ? StepKind::FillEntry : StepKind::AppendEntry,
            listPath, slot.key, *slot.flagged);
    }
    return 0;
}

platform::FileStatus PlaceKitProfile(const platform::Folder& folder, const std::string& target,
                                     const KitProfile& kit,
                                     const platform::FileIdentity& expected) {
    return kit == nullptr ? platform::FileStatus::Missing
                          : platform::WriteKitFile(folder, target, *kit,
                                                   platform::HiddenTarget::Replace, &expected);
}

FailureCause ProfileFailure(platform::FileStatus status) {
    return CauseOf(FileRole::SlotProfile, status);
}

// How the profile at the slot is compared with the kit's: Ok with no step to take when it is
// the kit's already and owned by an administrator, the system or the running account; Ok with
// `kind` the step that puts the kit's there otherwise (another user's copy of it is theirs to
// change, no installation); else why it could not be read.
platform::FileStatus ComparePlacedProfile(const platform::Folder& folder, const std::string& target,
                                          const platform::FileInfo& info, const KitProfile& kit,
                                          std::optional<StepKind>& kind) {
    const platform::FileStatus same = CompareWithKit(folder, target, kit->bytes);
    if (same == platform::FileStatus::Ok) {
        kind = info.HeldByTrusted() ? std::nullopt : std::optional(StepKind::PlaceOverForeign);
        return same;
    }
    kind = StepKind::PlaceProfile;
    return same == platform::FileStatus::Changed ? platform::FileStatus::Ok : same;
}

// The kit's profile under the slot's name, whatever stood there before. A profile that
// already is the kit's, and owned as above, is no step. -1 when the plan stops.
int PlanProfilePlacement(InstallPlan& plan, const std::string& key, const KitProfile& kit) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string target = SlotProfileFile(key);
    const std::string targetPath = folder.PathOf(target);
    platform::FileInfo info;
    const platform::FileStatus found = platform::InspectFile(folder, target, info);
    if (found != platform::FileStatus::Missing && found != platform::FileStatus::Ok) {
        return plan.Stop(FailureCause::ProfileRenameFailed, targetPath);
    }
    if (found == platform::FileStatus::Ok && info.kind != platform::FileKind::Regular) {
        // A link or hard link is no file to replace, nor read-only or in use.
        return plan.Stop(info.kind == platform::FileKind::Folder ? FailureCause::ProfileRenameFailed
                                                                 : FailureCause::ProfileFileUnsafe,
                         targetPath);
    }
    if (found == platform::FileStatus::Ok && kit == nullptr) {
        return 0;  // checked without a kit: present
    }
    std::optional<StepKind> kind = StepKind::PlaceProfile;
    if (found == platform::FileStatus::Ok) {
        const platform::FileStatus read = ComparePlacedProfile(folder, target, info, kit, kind);
        if (read != platform::FileStatus::Ok) {
            return plan.Stop(ProfileFailure(read), targetPath);
        }
        if (!kind) {
            return 0;  // the kit's already
        }
    }
    if (found == platform::FileStatus::Ok && info.readOnly) {
        return plan.Stop(FailureCause::ProfileRenameFailed, targetPath);
    }
    const platform::FileStatus replaceable = plan.MayWrite(
        [&] { return platform::CheckCopyTarget(folder, target, platform::HiddenTarget::Replace); });
    if (replaceable != platform::FileStatus::Ok) {
        return plan.Stop(ProfileFailure(replaceable), targetPath);
    }
    const platform::FileIdentity expected = info.identity;
    plan.Add(
        *kind, targetPath, key, 0,
        [&folder, target, kit, expected] { return PlaceKitProfile(folder, target, kit, expected); },
        ProfileFailure);
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
    if (plan.IsCheck()) {
        plan.Notice(
            "配布時の名前のプロファイル「" + platform::PathToUtf8(path) +
            "」が残っています。ドライバは使いませんが、インストールを実行すると削除されます。");
    }
    const platform::FileIdentity expected = info.identity;
    const platform::FileStatus removable =
        plan.MayWrite([&] { return platform::CheckRemovable(folder, kShippedProfile, &expected); });
    if (removable != platform::FileStatus::Ok) {
        return plan.Stop(ProfileFailure(removable), path);
    }
    plan.Add(
        StepKind::RemoveShipped, path, std::string(), 0,
        [&folder, expected] { return platform::RemoveFile(folder, kShippedProfile, &expected); },
        ProfileFailure);
    return 0;
}

// Whether the plan goes on without the kit's profile: a removal keeps every profile then, and
// a check tells what the folder holds, but for a kit profile too large to read.
bool GoesOnWithoutKit(const InstallPlan& plan, platform::FileStatus status) {
    return plan.Purpose() == PlanPurpose::Uninstall ||
           (plan.IsCheck() && status != platform::FileStatus::TooLarge);
}

// The kit's profile, read whole; null when it cannot be read, with a warning where the plan
// goes on without it. -1 when the plan stops.
int PlanKitProfile(InstallPlan& plan, KitProfile& kit) {
    const std::string path = platform::JoinPath(plan.KitSource(), kShippedProfile);
    auto read = std::make_shared<platform::KitFile>();
    const platform::FileStatus status = platform::ReadKitFile(path, kKitFileLimit, *read);
    if (status == platform::FileStatus::Ok) {
        kit = std::move(read);
        return 0;
    }
    if (GoesOnWithoutKit(plan, status)) {
        plan.Notice(KitNotComparedWarning(path));
        return 0;
    }
    return plan.Stop(CauseOf(FileRole::KitFile, status), path);
}

FailureCause FlagFailure(platform::FileStatus status) {
    return CauseOf(FileRole::FlagFile, status);
}

// The flag file rewritten as `bytes`, the file read as `identity` still being there.
void AddFlagWrite(InstallPlan& plan, StepKind kind, std::int64_t slot, const std::string& bytes,
                  const platform::FileIdentity& identity) {
    const platform::Folder& folder = plan.settings.folder;
    plan.Add(
        kind, folder.PathOf(kFlagFileName), std::string(), slot,
        [&folder, bytes, identity] {
            return platform::WriteFileReplacing(folder, kFlagFileName, bytes, &identity);
        },
        FlagFailure);
}

// The slot's flag raised: always for a slot taken now, and for a reused entry whose flag
// file is there but has the flag low. A key that stands for no slot has no flag. -1 when the
// plan stops.
int PlanFlag(InstallPlan& plan, const Slot& slot) {
    const std::string path = plan.settings.folder.PathOf(kFlagFileName);
    std::string bytes;
    platform::FileIdentity identity;
    if (slot.action == SlotAction::Reused) {
        if (!slot.flagged) {
            return 0;
        }
        // A listed profile needs no flag file, as it never did; one that is there but cannot
        // be read is no reason to skip the flag.
        const platform::FileStatus read = ReadFlagFile(plan, false, bytes, identity);
        if (read == platform::FileStatus::Missing) {
            return 0;
        }
        if (read != platform::FileStatus::Ok) {
            return plan.Stop(FlagFailure(read), path);
        }
        plan.Report().flag = FlagByteOf(bytes, *slot.flagged);
        if (plan.Report().flag == kFlagRaised) {
            return 0;
        }
    }
    const platform::FileStatus read = ReadFlagFile(plan, true, bytes, identity);
    if (read != platform::FileStatus::Ok) {
        return plan.Stop(FlagFailure(read), path);
    }
    plan.Report().flag = FlagByteOf(bytes, *slot.flagged);
    const std::string raised = WithFlagsRaised(bytes, {*slot.flagged});
    if (raised != bytes) {
        AddFlagWrite(plan, StepKind::RaiseFlag, *slot.flagged, raised, identity);
    }
    return 0;
}

// --- Uninstall ----------------------------------------------------------------------------

FailureCause RemovalFailure(platform::FileStatus status) {
    return CauseOf(FileRole::ProfileRemoval, status);
}

// A slot's profile kept, and why.
void KeepProfile(InstallPlan& plan, const std::string& path, const std::string& key,
                 const char* why) {
    plan.Note(StepKind::KeepProfile, path, key);
    plan.Notice("設定ファイル「" + platform::PathToUtf8(path) + "」は" + why +
                "ため、削除せずに残しました。");
}

// The slot's profile removed when it was read and is the kit's; any other file there is kept
// and named. One that cannot be read is never judged: the plan stops. -1 when it does.
int PlanProfileRemoval(InstallPlan& plan, const std::string& key, const KitProfile& kit) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string name = SlotProfileFile(key);
    const std::string path = folder.PathOf(name);
    platform::FileInfo info;
    const platform::FileStatus found = platform::InspectFile(folder, name, info);
    if (found != platform::FileStatus::Ok) {
        return found == platform::FileStatus::Missing ? 0 : plan.Stop(RemovalFailure(found), path);
    }
    if (info.kind != platform::FileKind::Regular) {
        KeepProfile(plan, path, key, "通常のファイルではない");
        return 0;
    }
    if (kit == nullptr) {
        KeepProfile(plan, path, key, "配布ファイルと比べられない");
        return 0;
    }
    const platform::FileStatus same = CompareWithKit(folder, name, kit->bytes);
    if (same == platform::FileStatus::Changed) {
        KeepProfile(plan, path, key, "配布ファイルと同じでない");
        return 0;
    }
    if (same != platform::FileStatus::Ok) {
        return plan.Stop(RemovalFailure(same), path);
    }
    const platform::FileIdentity expected = info.identity;
    const platform::FileStatus removable =
        plan.MayWrite([&] { return platform::CheckRemovable(folder, name, &expected); });
    if (removable != platform::FileStatus::Ok) {
        return plan.Stop(RemovalFailure(removable), path);
    }
    plan.Add(
        StepKind::RemoveProfile, path, key, 0,
        [&folder, name, expected] { return platform::RemoveFile(folder, name, &expected); },
        RemovalFailure);
    return 0;
}

// The flags of the slots lowered in one write. -1 when the plan stops.
int PlanFlagsLowered(InstallPlan& plan, const std::vector<std::int64_t>& slots) {
    const std::string path = plan.settings.folder.PathOf(kFlagFileName);
    std::string bytes;
    platform::FileIdentity identity;
    platform::FileStatus read = ReadFlagFile(plan, false, bytes, identity);
    if (slots.empty() || read == platform::FileStatus::Missing ||
        (read == platform::FileStatus::Ok && WithFlagsLowered(bytes, slots) == bytes)) {
        return 0;  // no flag file, or no flag raised: nothing to lower
    }
    // A flag file that cannot be read is refused as the installation refuses it.
    if (read == platform::FileStatus::Ok) {
        read = ReadFlagFile(plan, true, bytes, identity);
    }
    if (read != platform::FileStatus::Ok) {
        return plan.Stop(FlagFailure(read), path);
    }
    AddFlagWrite(plan, StepKind::LowerFlag, slots.front(), WithFlagsLowered(bytes, slots),
                 identity);
    return 0;
}

// -1, with the plan stopped, when a key names no file of the folder that may be touched.
int CheckKeys(InstallPlan& plan, const ListEntries& entries) {
    for (const CINIRead::ValueEntry& entry : entries) {
        if (!IsSafeProfileKey(entry.key)) {
            return plan.Stop(FailureCause::SlotKeyUnsafe, plan.settings.folder.PathOf(kListFile));
        }
    }
    return 0;
}

void PlanRemovals(InstallPlan& plan, const ListEntries& entries) {
    KitProfile kit;
    PlanKitProfile(plan, kit);
    // Only an entry the installer added lies beyond the slots it fills; any other entry
    // (a key that stands for no slot too) keeps its line, with an empty value.
    PlanEntryEdits(plan, kListFile, entries, [](const CINIRead::ValueEntry& entry) {
        const std::optional<std::int64_t> slot = FlaggedSlotOf(entry.key);
        return slot && *slot > kLastFilledSlot;
    });
    std::set<std::string> profiles;
    std::vector<std::string> keys;
    for (const CINIRead::ValueEntry& entry : entries) {
        if (profiles.insert(cp932::FoldCase(entry.key)).second &&
            PlanProfileRemoval(plan, entry.key, kit) != 0) {
            return;
        }
        keys.push_back(entry.key);
    }
    // A slot another line still holds ("2=Other" beside "000002=") keeps its flag: the
    // entries are already emptied or taken away in the store.
    const std::vector<bool> held = plan.list.ValuedKeys(kSection, keys);
    std::vector<std::int64_t> slots;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        const std::optional<std::int64_t> slot = FlaggedSlotOf(keys[index]);
        if (slot && !held[index]) {
            slots.push_back(*slot);
        }
    }
    if (PlanFlagsLowered(plan, slots) == 0) {
        PlanListSave(plan, kListFile);
    }
}

}  // namespace

void PlanPsipInstall(InstallPlan& plan) {
    KitProfile kit;
    Slot slot;
    if (PlanFolderMirror(plan, kShippedProfile, IsPsipDriverFile) != 0 ||
        PlanListLoad(plan, kListFile) != 0 || PlanEntry(plan, kPsipProfileName, slot) != 0 ||
        PlanKitProfile(plan, kit) != 0 || PlanProfilePlacement(plan, slot.key, kit) != 0 ||
        PlanShippedNameRemoval(plan) != 0 || PlanFlag(plan, slot) != 0) {
        return;
    }
    if (slot.action != SlotAction::Reused) {
        PlanListSave(plan, kListFile);
    }
}

void PlanPsipUninstall(InstallPlan& plan) {
    if (PlanListLoad(plan, kListFile, MissingList::IsEmpty) != 0) {
        return;
    }
    const ListEntries entries = FindEntriesToRemove(plan, kSection, kPsipProfileName);
    if (!entries.empty() && CheckKeys(plan, entries) == 0) {
        PlanRemovals(plan, entries);
    }
}

int InstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                        InstallReport& report) {
    return RunDriver(kPsipDriver, PlanPurpose::Install, sourceFolder, options, report);
}

int UninstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                          InstallReport& report) {
    return RunDriver(kPsipDriver, PlanPurpose::Uninstall, sourceFolder, options, report);
}
