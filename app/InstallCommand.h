#pragma once
// The settings dialog's install command, apart from any window.

#include <string>

#include "install/InstallReport.h"
#include "install/ResultText.h"

// Runs the installer of the chosen driver: 0 PaperStream IP with `psipSource`, any other
// choice the fi-series TWAIN driver with `twainSource`, its warning in a message box.
// Returns the installer's result.
int InstallSelectedDriver(int choice, const std::string& psipSource,
                          const std::string& twainSource);
int InstallSelectedDriver(int choice, const std::string& psipSource, const std::string& twainSource,
                          const InstallOptions& options, InstallReport& report);
