#include "install/PsipSettings.h"

#include <cstdint>
#include <vector>

#include "ini/INIRead.h"
#include "ini/SlotNumber.h"
#include "install/FlagFile.h"
#include "install/FolderMirror.h"
#include "install/SettingsFolder.h"
#include "platform/Platform.h"
#include "text/Cp932.h"

namespace {

// "PFU設定ディレクトリ(7X)がありません！" (the PFU settings folder (7X) does not exist!)
const char kFolderMissing[] =
    "PFU\x90\xDD\x92\xE8\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A(7X)\x82\xAA\x82\xA0\x82\xE8"
    "\x82\xDC\x82\xB9\x82\xF1\x81I";
const char kSection[] = "[Informations]";
// "通帳マルチ" (passbook multi)
const char* const kProfileNames[] = {"\x92\xCA\x92\xA0\x83}\x83\x8B\x83`"};
const char kShippedProfile[] = "FTS_EX_BKBOOK.xml";
constexpr int kLastFreeSlotTried = 99;

struct Slot {
    std::string key;
    bool isNew = false;
    std::int64_t number = 0;
};

// The entry that carries the name, else the first free one of 1 to 99 by number, else a
// new one after the last. False when the section holds no entry at all.
bool TakeSlot(CINIRead& list, const std::string& name, Slot& slot) {
    std::string line;
    if (list.FindValueLine(kSection, name, line) != 0) {
        slot = Slot{line.substr(0, cp932::FindChar(line, '=')), false, 0};
        return true;
    }
    for (int number = 1; number <= kLastFreeSlotTried; ++number) {
        std::string key = FormatSlotKey(number, 6);
        if (list.FillEmptyKey(kSection, key, name) > 0) {
            slot = Slot{std::move(key), true, number};
            return true;
        }
    }
    std::string key;
    if (list.AppendInformationsKey(name, key) == 0) {
        return false;
    }
    slot = Slot{key, true, LeadingNumber(key)};
    return true;
}

// A key read from the list file becomes part of a file name: it must not lead out of the
// settings folder.
bool IsPlainFileNamePart(const std::string& key) {
    for (const char forbidden : std::string("\\/:*?\"<>|")) {
        if (cp932::FindChar(key, forbidden) != std::string::npos) {
            return false;
        }
    }
    for (const char byte : key) {
        if (static_cast<unsigned char>(byte) < 0x20) {
            return false;
        }
    }
    return true;
}

// Gives the shipped profile file the slot's name. A file already of that name is replaced
// in one step, and only when the shipped file is there to replace it.
bool PlaceProfileFile(const std::string& settingsFolder, const std::string& key) {
    const std::string shipped = platform::JoinPath(settingsFolder, kShippedProfile);
    const std::string target = platform::JoinPath(settingsFolder, "FTS_EX" + key + ".xml");
    return platform::FileExists(shipped) && platform::MoveFileReplacing(shipped, target);
}

bool InstallProfile(CINIRead& list, const std::string& settingsFolder, const std::string& name,
                    std::vector<std::int64_t>& newSlots) {
    Slot slot;
    if (!TakeSlot(list, name, slot) || (slot.isNew && !HasFlagByte(slot.number)) ||
        !IsPlainFileNamePart(slot.key) || !PlaceProfileFile(settingsFolder, slot.key)) {
        return false;
    }
    if (slot.isNew) {
        newSlots.push_back(slot.number);
    }
    return true;
}

}  // namespace

int InstallPsipSettings(const std::string& sourceFolder) {
    std::string commonAppData;
    if (!platform::GetCommonAppDataFolder(commonAppData)) {
        return -1;
    }
    const std::string settingsFolder = SubFolder(commonAppData, {"Fujitsu", "iCube", "FTS"});
    if (!PassesFolderTest(settingsFolder)) {
        platform::ShowMessageBox(kFolderMissing);
    }
    CopyFolderFiles(sourceFolder, settingsFolder);

    const std::string listFile = platform::JoinPath(settingsFolder, "SettingInfo.ini");
    CINIRead list;
    if (list.Load(listFile) != 0) {
        return -1;
    }
    std::vector<std::int64_t> newSlots;
    for (const char* name : kProfileNames) {
        if (!InstallProfile(list, settingsFolder, name, newSlots)) {
            return -1;
        }
    }
    if (!newSlots.empty() &&
        !RaiseSlotFlags(platform::JoinPath(settingsFolder, "Id.bin"), newSlots)) {
        return -1;
    }
    return list.Save(listFile) == 0 ? 0 : -1;
}
