#include "install/TwainSettings.h"

#include "ini/INIRead.h"
#include "ini/SlotNumber.h"
#include "install/DriverFiles.h"
#include "install/FolderMirror.h"
#include "install/ListFile.h"
#include "install/SettingsFolder.h"
#include "text/Cp932.h"

namespace {

// "PFU設定ディレクトリがありません！" (the PFU settings folder does not exist!)
const char kFolderMissing[] =
    "PFU\x90\xDD\x92\xE8\x83"
    "f\x83"
    "B\x83\x8C\x83N\x83g\x83\x8A\x82\xAA\x82\xA0\x82\xE8\x82"
    "\xDC\x82\xB9\x82\xF1\x81I";
const char* const kSection = kTwainSection;
const char* const kListFile = kTwainListFile;
const char* const kTemplateNames[] = {kTemplateFile};
constexpr int kLastSlot = 99;

// The entry that carries the name, else the first free one of 01 to 99 by number.
SlotAction RegisterTemplate(CINIRead& list, const std::string& name, std::string& key) {
    std::string line;
    if (list.FindValueLine(kSection, name, line) != 0) {
        key = line.substr(0, cp932::FindChar(line, '='));
        return SlotAction::Reused;
    }
    for (int slot = 1; slot <= kLastSlot; ++slot) {
        key = FormatSlotKey(slot, 2);
        if (list.FillEmptyKey(kSection, key, name) > 0) {
            return SlotAction::Filled;
        }
    }
    key.clear();
    return SlotAction::None;
}

// A template that is neither in the folder nor about to be copied there cannot be
// registered: the driver would list a template it cannot open.
bool TemplatePresent(const platform::Folder& folder, const std::string& name,
                     const InstallReport& report) {
    return platform::CheckRegularFile(folder, name) == platform::FileStatus::Ok ||
           report.HasStep(StepKind::CopyFile, folder.PathOf(name));
}

int Install(const std::string& sourceFolder, const InstallOptions& options, InstallReport& report) {
    SettingsFolder settings;
    const FolderSearch search = FindTwainSettingsFolder(settings);
    if (EnterSettingsFolder(search, settings, kFolderMissing, options, report) != 0) {
        return -1;
    }
    const platform::Folder& folder = settings.folder;
    CopyFolderFiles(sourceFolder, folder, options, report);
    for (const char* name : kTemplateNames) {
        if (!TemplatePresent(folder, name, report)) {
            return report.Fail(FailureCause::TemplateMissing, folder.PathOf(name));
        }
    }

    CINIRead list;
    if (LoadListFile(list, folder, kListFile, report) != 0) {
        return -1;
    }
    const std::string listPath = folder.PathOf(kListFile);
    for (const char* name : kTemplateNames) {
        report.action = RegisterTemplate(list, name, report.key);
        if (report.action == SlotAction::None) {
            return report.Fail(list.HasKeyLine(kSection) ? FailureCause::NoFreeSlot
                                                         : FailureCause::ListSectionMissing,
                               listPath);
        }
        const bool reused = report.action == SlotAction::Reused;
        report.AddStep(reused ? StepKind::ReuseEntry : StepKind::FillEntry, listPath, report.key,
                       reused ? 0 : LeadingNumber(report.key));
    }
    return SaveListFile(list, folder, kListFile, options, report);
}

}  // namespace

int InstallTwainSettings(const std::string& sourceFolder) {
    InstallReport report;
    return InstallTwainSettings(sourceFolder, InstallOptions{}, report);
}

int InstallTwainSettings(const std::string& sourceFolder, const InstallOptions& options,
                         InstallReport& report) {
    return RunReported(report, [&] { return Install(sourceFolder, options, report); });
}
