#pragma once
// Installs the passbook profile into the PaperStream IP driver: copies the profile set,
// registers the profile in "SettingInfo.ini", puts the kit's profile under its slot's name
// and raises the slot's flag in "Id.bin".

#include <string>

#include "install/InstallReport.h"

// 0 success; -1 failure. Nothing is undone on failure, but no driver file is ever lost:
// the installed profile file is replaced only by the kit's, and the list file and the flag
// file are each fully old or fully new.
int InstallPsipSettings(const std::string& sourceFolder);
int InstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                        InstallReport& report);
