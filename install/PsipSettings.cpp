#include "install/PsipSettings.h"

#include <cstdint>
#include <vector>

#include "ini/INIRead.h"
#include "ini/SlotNumber.h"
#include "install/DriverFiles.h"
#include "install/FlagFile.h"
#include "install/FolderMirror.h"
#include "install/ListFile.h"
#include "install/SettingsFolder.h"
#include "install/SlotKey.h"
#include "text/Cp932.h"

namespace {

// "PFU設定ディレクトリ(7X)がありません！" (the PFU settings folder (7X) does not exist!)
const char kFolderMissing[] =
    "PFU\x90\xDD\x92\xE8\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A(7X)\x82\xAA\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB9\x82\xF1\x81I";
const char* const kSection = kPsipSection;
const char* const kListFile = kPsipListFile;
const char* const kProfileNames[] = {kPsipProfileName};
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
        return Slot{line.substr(0, cp932::FindChar(line, '=')), SlotAction::Reused, 0};
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

// Puts the kit's profile under the slot's name in one step, whatever stood in the settings
// folder before (also a newer "FTS_EX_BKBOOK.xml" that the copy kept), and takes the shipped
// name away. The slot's old profile stays when there is nothing to replace it with.
int PlaceProfile(const std::string& sourceFolder, const platform::Folder& folder,
                 const std::string& key, const InstallOptions& options, InstallReport& report) {
    const std::string kitProfile = platform::JoinPath(sourceFolder, kShippedProfile);
    const std::string target = SlotProfileFile(key);
    if (!platform::IsExistingFile(kitProfile)) {
        return report.Fail(FailureCause::KitFileMissing, kitProfile);
    }
    const platform::HiddenTarget hidden = platform::HiddenTarget::Replace;
    const platform::FileStatus placed =
        options.dryRun ? platform::CheckCopyTarget(folder, target, hidden)
                       : platform::CopyFileInto(kitProfile, folder, target, hidden);
    if (placed == platform::FileStatus::Missing) {
        return report.Fail(FailureCause::KitFileMissing, kitProfile);
    }
    if (placed != platform::FileStatus::Ok) {
        return report.Fail(FailureCause::ProfileRenameFailed, folder.PathOf(target));
    }
    const platform::FileStatus removed =
        options.dryRun ? platform::FileStatus::Ok : platform::RemoveFile(folder, kShippedProfile);
    if (removed != platform::FileStatus::Ok && removed != platform::FileStatus::Missing) {
        return report.Fail(FailureCause::ProfileRenameFailed, folder.PathOf(kShippedProfile));
    }
    report.AddStep(StepKind::PlaceProfile, folder.PathOf(target), key);
    return 0;
}

int InstallProfile(CINIRead& list, const std::string& sourceFolder, const platform::Folder& folder,
                   const std::string& name, const InstallOptions& options, InstallReport& report,
                   std::vector<std::int64_t>& newSlots) {
    const std::string listPath = folder.PathOf(kListFile);
    const Slot slot = TakeSlot(list, name);
    if (slot.action == SlotAction::None) {
        // Entries, but no number above them left for a new one.
        return report.Fail(list.HasKeyLine(kSection) ? FailureCause::SlotOutOfRange
                                                     : FailureCause::ListSectionMissing,
                           listPath);
    }
    if (slot.action != SlotAction::Reused && !HasFlagByte(slot.number)) {
        return report.Fail(FailureCause::SlotOutOfRange, listPath);
    }
    if (!IsSafeSlotKey(slot.key)) {
        return report.Fail(FailureCause::SlotKeyUnsafe, listPath);
    }
    report.action = slot.action;
    report.key = slot.key;
    report.AddStep(StepOf(slot.action), listPath, slot.key, slot.number);
    if (PlaceProfile(sourceFolder, folder, slot.key, options, report) != 0) {
        return -1;
    }
    if (slot.action != SlotAction::Reused) {
        newSlots.push_back(slot.number);
    }
    return 0;
}

FailureCause FlagFailureCause(platform::FileStatus status) {
    switch (status) {
        case platform::FileStatus::Missing:
            return FailureCause::FlagFileMissing;
        case platform::FileStatus::ReadOnly:
            return FailureCause::FlagFileReadOnly;
        case platform::FileStatus::Locked:
            return FailureCause::FlagFileLocked;
        case platform::FileStatus::Unsafe:
            return FailureCause::FlagFileUnsafe;
        case platform::FileStatus::OutOfMemory:
            return FailureCause::OutOfMemory;
        default:
            return FailureCause::FlagFileIo;
    }
}

int RaiseFlags(const platform::Folder& folder, const std::vector<std::int64_t>& newSlots,
               const InstallOptions& options, InstallReport& report) {
    const std::string flagPath = folder.PathOf(kFlagFileName);
    const platform::FileStatus raised = RaiseSlotFlags(folder, newSlots, options.dryRun);
    if (raised != platform::FileStatus::Ok) {
        return report.Fail(FlagFailureCause(raised), flagPath);
    }
    for (const std::int64_t slot : newSlots) {
        report.AddStep(StepKind::RaiseFlag, flagPath, std::string(), slot);
    }
    return 0;
}

int Install(const std::string& sourceFolder, const InstallOptions& options, InstallReport& report) {
    SettingsFolder settings;
    const FolderSearch search = FindPsipSettingsFolder(settings);
    if (EnterSettingsFolder(search, settings, kFolderMissing, options, report) != 0) {
        return -1;
    }
    const platform::Folder& folder = settings.folder;
    CopyFolderFiles(sourceFolder, folder, options, report);

    CINIRead list;
    if (LoadListFile(list, folder, kListFile, report) != 0) {
        return -1;
    }
    std::vector<std::int64_t> newSlots;
    for (const char* name : kProfileNames) {
        if (InstallProfile(list, sourceFolder, folder, name, options, report, newSlots) != 0) {
            return -1;
        }
    }
    if (!newSlots.empty() && RaiseFlags(folder, newSlots, options, report) != 0) {
        return -1;
    }
    return SaveListFile(list, folder, kListFile, options, report);
}

}  // namespace

int InstallPsipSettings(const std::string& sourceFolder) {
    InstallReport report;
    return InstallPsipSettings(sourceFolder, InstallOptions{}, report);
}

int InstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                        InstallReport& report) {
    return RunReported(report, [&] { return Install(sourceFolder, options, report); });
}
