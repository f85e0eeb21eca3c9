#pragma once
// The PaperStream IP driver's planners. Installing copies the profile set, registers the
// profile in "SettingInfo.ini", puts the kit's profile under its slot's name and raises the
// slot's flag in "Id.bin"; uninstalling takes each of these back, the entry last.

#include <string>

#include "install/InstallPlan.h"
#include "install/InstallReport.h"

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

// 0 success; -1 failure. Nothing is undone on failure, but no driver file is ever lost:
// the installed profile file is replaced only by the kit's, and the list file and the flag
// file are each fully old or fully new. A run with nothing to do writes nothing.
int InstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                        InstallReport& report);
// 0 success (also when nothing was registered: action Absent, nothing written); -1 failure.
int UninstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                          InstallReport& report);

// Every step of the installation, reading as the plan reads, and where it stops.
void PlanPsipInstall(InstallPlan& plan);

// A slot's profile is removed when it is byte for byte the kit's, else kept with a warning;
// the slot's flag is lowered; an entry of the slots the installer fills (1 to 99) gets an
// empty value again, one beyond them its line taken away.
void PlanPsipUninstall(InstallPlan& plan);
