#include "install/Uninstall.h"

#include <memory>
#include <set>
#include <vector>

#include "ini/SlotNumber.h"
#include "install/DriverFiles.h"
#include "install/FlagFile.h"
#include "install/FolderMirror.h"
#include "install/ListFile.h"
#include "install/SlotKey.h"
#include "text/Cp932.h"

namespace {

constexpr std::int64_t kFirstFilledSlot = 1;
constexpr std::int64_t kLastFilledSlot = 99;

using Entries = std::vector<CINIRead::ValueEntry>;

// The entries that carry `value`; none is an uninstall with nothing to do.
Entries FindEntries(InstallPlan& plan, const char* section, const char* value) {
    Entries entries = plan.list.FindValueEntries(section, value);
    InstallReport& report = plan.Report();
    report.action = entries.empty() ? SlotAction::Absent : SlotAction::Removed;
    report.key = entries.empty() ? std::string() : entries.front().key;
    return entries;
}

// Each entry edited in the store, the report listing them in line order. `removes` tells
// which entries lose their line.
template <typename Removes>
void PlanEntryEdits(InstallPlan& plan, const char* listFile, const Entries& entries,
                    Removes removes) {
    const std::string listPath = plan.settings.folder.PathOf(listFile);
    for (const CINIRead::ValueEntry& entry : entries) {
        const bool remove = removes(entry);
        plan.EditList(remove ? StepKind::RemoveEntry : StepKind::EmptyEntry, listPath, entry.key,
                      LeadingNumber(entry.key));
    }
    // From the last line up, so that a removed line moves none still to be edited.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (removes(*entry)) {
            plan.list.RemoveLineAt(entry->line);
        } else {
            plan.list.EmptyValueAt(entry->line);
        }
    }
}

// The slot's profile removed when it is the kit's; any other file there is kept and named.
void PlanProfileRemoval(InstallPlan& plan, const std::string& key, const platform::KitFile* kit,
                        const InstallOptions& options) {
    const platform::Folder& folder = plan.settings.folder;
    const std::string name = SlotProfileFile(key);
    const std::string path = folder.PathOf(name);
    platform::FileInfo info;
    const platform::FileStatus found = platform::InspectFile(folder, name, info);
    if (found == platform::FileStatus::Missing) {
        return;
    }
    if (found == platform::FileStatus::Ok && info.kind == platform::FileKind::Regular &&
        kit != nullptr && HoldsKitBytes(folder, name, kit->bytes)) {
        const platform::FileIdentity expected = info.identity;
        plan.Add(
            StepKind::RemoveProfile, path, key, 0,
            [&folder, name, expected] { return platform::RemoveFile(folder, name, &expected); },
            [](platform::FileStatus) { return FailureCause::ProfileRemoveFailed; });
        return;
    }
    plan.Note(StepKind::KeepProfile, path, key);
    Notice(options, plan.Report(),
           "設定ファイル「" + platform::PathToUtf8(path) +
               "」は配布ファイルと同じでないため、削除せずに残しました。");
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
        return plan.Stop(FlagFileFailureCause(read), path);
    }
    const std::string lowered = WithFlagsLowered(bytes, slots);
    const platform::Folder& folder = plan.settings.folder;
    plan.Add(
        StepKind::LowerFlag, path, std::string(), slots.front(),
        [&folder, lowered, identity] {
            return platform::WriteFileReplacing(folder, kFlagFileName, lowered, &identity);
        },
        FlagFileFailureCause);
    return 0;
}

// The kit's profile; null, with a warning, when it cannot be read: no profile is then
// known to be the kit's, and every one is kept.
std::shared_ptr<platform::KitFile> ReadKitProfile(const std::string& sourceFolder,
                                                  const InstallOptions& options,
                                                  InstallReport& report) {
    const std::string path = platform::JoinPath(sourceFolder, kShippedProfile);
    auto kit = std::make_shared<platform::KitFile>();
    if (platform::ReadKitFile(path, kKitFileLimit, *kit) != platform::FileStatus::Ok) {
        Notice(options, report, KitNotComparedWarning(path));
        return nullptr;
    }
    return kit;
}

// -1, with the plan stopped, when a key names no file of the folder that may be touched.
int CheckKeys(InstallPlan& plan, const Entries& entries) {
    for (const CINIRead::ValueEntry& entry : entries) {
        if (!IsSafeProfileKey(entry.key)) {
            return plan.Stop(FailureCause::SlotKeyUnsafe,
                             plan.settings.folder.PathOf(kPsipListFile));
        }
    }
    return 0;
}

void PlanPsipRemovals(InstallPlan& plan, const std::string& sourceFolder, const Entries& entries,
                      const InstallOptions& options) {
    const std::shared_ptr<platform::KitFile> kit =
        ReadKitProfile(sourceFolder, options, plan.Report());
    PlanEntryEdits(plan, kPsipListFile, entries, [](const CINIRead::ValueEntry& entry) {
        const std::int64_t number = LeadingNumber(entry.key);
        return number < kFirstFilledSlot || number > kLastFilledSlot;
    });
    std::set<std::string> profiles;
    std::vector<std::int64_t> slots;
    for (const CINIRead::ValueEntry& entry : entries) {
        if (profiles.insert(cp932::FoldCase(entry.key)).second) {
            PlanProfileRemoval(plan, entry.key, kit.get(), options);
        }
        slots.push_back(LeadingNumber(entry.key));
    }
    if (PlanFlagsLowered(plan, slots) == 0) {
        PlanListSave(plan, kPsipListFile);
    }
}

}  // namespace

void PlanPsipUninstall(const std::string& sourceFolder, const InstallOptions& options,
                       InstallPlan& plan) {
    const FolderSearch search = FindPsipSettingsFolder(plan.settings);
    if (plan.EnterSettingsFolder(search, kPsipFolderMissing, options) != 0 ||
        PlanListLoad(plan, kPsipListFile) != 0) {
        return;
    }
    const Entries entries = FindEntries(plan, kPsipSection, kPsipProfileName);
    if (!entries.empty() && CheckKeys(plan, entries) == 0) {
        PlanPsipRemovals(plan, sourceFolder, entries, options);
    }
}

void PlanTwainUninstall(const InstallOptions& options, InstallPlan& plan) {
    const FolderSearch search = FindTwainSettingsFolder(plan.settings);
    if (plan.EnterSettingsFolder(search, kTwainFolderMissing, options) != 0 ||
        PlanListLoad(plan, kTwainListFile) != 0) {
        return;
    }
    const Entries entries = FindEntries(plan, kTwainSection, kTemplateFile);
    if (!entries.empty()) {
        PlanEntryEdits(plan, kTwainListFile, entries,
                       [](const CINIRead::ValueEntry&) { return false; });
        PlanListSave(plan, kTwainListFile);
    }
}

int UninstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                          InstallReport& report) {
    return RunPlanned(options, report,
                      [&](InstallPlan& plan) { PlanPsipUninstall(sourceFolder, options, plan); });
}

int UninstallTwainSettings(const std::string&, const InstallOptions& options,
                           InstallReport& report) {
    return RunPlanned(options, report,
                      [&](InstallPlan& plan) { PlanTwainUninstall(options, plan); });
}
