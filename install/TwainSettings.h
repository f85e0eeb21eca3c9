#pragma once
// Installs the passbook profile set for the fi-series TWAIN driver: copies the set into the
// driver's settings folder and registers its template in "FTSLISTS.INI".

#include <string>

// 0 success; -1 failure (no common application-data folder, no usable settings folder, or
// the list file could not be loaded or saved).
int InstallTwainSettings(const std::string& sourceFolder);
