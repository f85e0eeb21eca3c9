#pragma once
// Installs the passbook profile set for the fi-series TWAIN driver: copies the set into the
// driver's settings folder and registers its template in "FTSLISTS.INI".

#include <string>

#include "install/InstallPlan.h"
#include "install/InstallReport.h"

// 0 success; -1 failure: no usable settings folder, no template file in it after the copy,
// a list file that could not be loaded or saved, or a template that could be neither found
// registered nor given a free slot (the list file is then left as it was). A run with
// nothing to do writes nothing.
int InstallTwainSettings(const std::string& sourceFolder);
int InstallTwainSettings(const std::string& sourceFolder, const InstallOptions& options,
                         InstallReport& report);

// Decides every step of the installation, reading as the plan reads, and where it stops.
void PlanTwainInstall(const std::string& sourceFolder, const InstallOptions& options,
                      InstallPlan& plan);
