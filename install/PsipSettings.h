#pragma once
// Installs the passbook profile into the PaperStream IP driver: copies the profile set,
// registers the profile in "SettingInfo.ini", puts the kit's profile under its slot's name
// and raises the slot's flag in "Id.bin".

#include <string>

#include "install/InstallPlan.h"
#include "install/InstallReport.h"

// 0 success; -1 failure. Nothing is undone on failure, but no driver file is ever lost:
// the installed profile file is replaced only by the kit's, and the list file and the flag
// file are each fully old or fully new. A run with nothing to do writes nothing.
int InstallPsipSettings(const std::string& sourceFolder);
int InstallPsipSettings(const std::string& sourceFolder, const InstallOptions& options,
                        InstallReport& report);

// Decides every step of the installation, reading as the plan reads, and where it stops.
void PlanPsipInstall(const std::string& sourceFolder, const InstallOptions& options,
                     InstallPlan& plan);
