#include "install/InstallCheck.h"

#include "ini/INIRead.h"
#include "ini/SlotNumber.h"
#include "install/DriverFiles.h"
#include "install/FlagFile.h"
#include "install/ListFile.h"
#include "install/SettingsFolder.h"
#include "install/SlotKey.h"
#include "text/Cp932.h"

namespace {

// The settings folder held in `found`; false, with the missing piece noted, when none is.
bool FoundFolder(FolderSearch search, const SettingsFolder& found, InstallCheck& check) {
    if (search != FolderSearch::Found) {
        check.missing.push_back("settings-folder");
        check.cause = FailureCause::SettingsFolderMissing;
        check.failedFile = found.path;
        return false;
    }
    check.settingsFolder = found.path;
    return true;
}

// The key of the entry that carries `value` in the folder's list file; false, with the
// missing piece noted, when there is none.
bool FindEntry(const platform::Folder& folder, const char* listFile, const char* section,
               const char* value, InstallCheck& check) {
    std::string bytes;
    const platform::FileStatus read = platform::ReadFileShared(folder, listFile, bytes);
    if (read != platform::FileStatus::Ok) {
        check.missing.push_back("list-file");
        check.cause = ListFileFailureCause(read);
        check.failedFile = folder.PathOf(listFile);
        return false;
    }
    CINIRead list;
    list.LoadBytes(bytes);
    std::string line;
    if (list.FindValueLine(section, value, line) == 0) {
        check.missing.push_back("entry");
        return false;
    }
    check.key = line.substr(0, cp932::FindChar(line, '='));
    return true;
}

// Whether the folder's file is byte for byte the kit's; a kit without the file is a failure
// of the check itself.
bool SameAsKit(const platform::Folder& folder, const std::string& name, const std::string& kitFile,
               const char* piece, InstallCheck& check) {
    std::string kit, installed;
    if (platform::ReadWholeFile(kitFile, kit) != platform::FileStatus::Ok) {
        check.cause = FailureCause::KitFileMissing;
        check.failedFile = kitFile;
        return false;
    }
    if (platform::ReadFileShared(folder, name, installed) != platform::FileStatus::Ok ||
        installed != kit) {
        check.missing.push_back(piece);
        return false;
    }
    return true;
}

int FlagOf(const platform::Folder& folder, const std::string& key) {
    const std::int64_t slot = LeadingNumber(key);
    std::string bytes;
    if (!HasFlagByte(slot) ||
        platform::ReadFileShared(folder, kFlagFileName, bytes) != platform::FileStatus::Ok ||
        bytes.size() <= FlagOffset(slot)) {
        return -1;
    }
    return static_cast<unsigned char>(bytes[FlagOffset(slot)]);
}

void Conclude(InstallCheck& check) {
    check.installed = check.missing.empty() && check.cause == FailureCause::None;
}

}  // namespace

InstallCheck CheckPsipInstalled(const std::string& sourceFolder) {
    InstallCheck check;
    SettingsFolder found;
    const FolderSearch search = FindPsipSettingsFolder(found);
    if (FoundFolder(search, found, check) &&
        FindEntry(found.folder, kPsipListFile, kPsipSection, kPsipProfileName, check)) {
        if (!IsSafeSlotKey(check.key)) {
            check.cause = FailureCause::SlotKeyUnsafe;
            check.failedFile = found.folder.PathOf(kPsipListFile);
        } else {
            SameAsKit(found.folder, SlotProfileFile(check.key),
                      platform::JoinPath(sourceFolder, kShippedProfile), "profile-file", check);
            check.flag = FlagOf(found.folder, check.key);
        }
    }
    Conclude(check);
    return check;
}

InstallCheck CheckTwainInstalled(const std::string& sourceFolder) {
    InstallCheck check;
    SettingsFolder found;
    const FolderSearch search = FindTwainSettingsFolder(found);
    if (FoundFolder(search, found, check) &&
        FindEntry(found.folder, kTwainListFile, kTwainSection, kTemplateFile, check)) {
        SameAsKit(found.folder, kTemplateFile, platform::JoinPath(sourceFolder, kTemplateFile),
                  "template-file", check);
    }
    Conclude(check);
    return check;
}
