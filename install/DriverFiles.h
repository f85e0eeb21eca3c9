#pragma once
// The names of the drivers' files and of what this tool puts in them: one place for the
// installers and for the check of an installation.

#include <string>

// PaperStream IP.
// The warning when its settings folder is missing.
constexpr char kPsipFolderMissing[] = "PFU設定ディレクトリ(7X)がありません！";
constexpr char kPsipListFile[] = "SettingInfo.ini";
constexpr char kPsipSection[] = "[Informations]";
// "通帳マルチ" (passbook multi), the profile's display name.
constexpr char kPsipProfileName[] = "\x92\xCA\x92\xA0\x83}\x83\x8B\x83`";
// The kit's profile file, and the name it has in the settings folder after a copy.
constexpr char kShippedProfile[] = "FTS_EX_BKBOOK.xml";

// The profile file of a slot: "FTS_EX<key>.xml".
inline std::string SlotProfileFile(const std::string& key) {
    return "FTS_EX" + key + ".xml";
}

// The fi-series TWAIN driver.
constexpr char kTwainFolderMissing[] = "PFU設定ディレクトリがありません！";
constexpr char kTwainListFile[] = "FTSLISTS.INI";
constexpr char kTwainSection[] = "[TemplateLists]";
constexpr char kTemplateFile[] = "bkbook_multi.fts";
