#include "install/TwainSettings.h"

#include "ini/INIRead.h"
#include "ini/SlotNumber.h"
#include "install/FolderMirror.h"
#include "install/SettingsFolder.h"
#include "platform/Platform.h"

namespace {

// "PFU設定ディレクトリがありません！" (the PFU settings folder does not exist!)
const char kFolderMissing[] =
    "PFU\x90\xDD\x92\xE8\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A\x82\xAA\x82\xA0\x82\xE8\x82"
    "\xDC\x82\xB9\x82\xF1\x81I";
const char kSection[] = "[TemplateLists]";
const char* const kTemplateNames[] = {"bkbook_multi.fts"};
constexpr int kLastSlot = 99;

// The first candidate folder that exists, else the fallback, which is used all the same
// once the user has been warned. False when there is no fallback to speak of.
bool FindSettingsFolder(const std::string& commonAppData, std::string& settingsFolder) {
    settingsFolder = SubFolder(commonAppData, {"Fujitsu", "Fjtwain", "FTS"});
    if (PassesFolderTest(settingsFolder)) {
        return true;
    }
    std::string windowsFolder;
    const bool hasWindowsFolder =
        platform::GetEnvironmentText("windir", windowsFolder) && !windowsFolder.empty();
    settingsFolder = SubFolder(windowsFolder, {"twain_32", "fjscan32"});
    if (hasWindowsFolder && PassesFolderTest(settingsFolder)) {
        return true;
    }
    platform::ShowMessageBox(kFolderMissing);
    return hasWindowsFolder;
}

void RegisterTemplate(CINIRead& list, const std::string& name) {
    std::string line;
    if (list.FindValueLine(kSection, name, line) != 0) {
        return;
    }
    for (int slot = 1; slot <= kLastSlot; ++slot) {
        if (list.FillEmptyKey(kSection, FormatSlotKey(slot, 2), name) > 0) {
            return;
        }
    }
}

}  // namespace

int InstallTwainSettings(const std::string& sourceFolder) {
    std::string commonAppData;
    std::string settingsFolder;
    if (!platform::GetCommonAppDataFolder(commonAppData) ||
        !FindSettingsFolder(commonAppData, settingsFolder)) {
        return -1;
    }
    CopyFolderFiles(sourceFolder, settingsFolder);

    const std::string listFile = platform::JoinPath(settingsFolder, "FTSLISTS.INI");
    CINIRead list;
    if (list.Load(listFile) != 0) {
        return -1;
    }
    for (const char* name : kTemplateNames) {
        RegisterTemplate(list, name);
    }
    return list.Save(listFile) == 0 ? 0 : -1;
}
