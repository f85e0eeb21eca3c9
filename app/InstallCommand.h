#pragma once
// The settings dialog's install command, apart from any window.

#include <string>

#include "install/InstallReport.h"

// Runs the installer of the chosen driver: 0 PaperStream IP with `psipSource`, any other
// choice the fi-series TWAIN driver with `twainSource`. Returns the installer's result.
int InstallSelectedDriver(int choice, const std::string& psipSource,
                          const std::string& twainSource);
int InstallSelectedDriver(int choice, const std::string& psipSource, const std::string& twainSource,
                          const InstallOptions& options, InstallReport& report);

// The message that reports an installer result, in UTF-8.
std::string InstallResultText(int result);

// The result's message and, for a failure whose cause is known, a blank line and the
// sentence that says why, with the file's full path.
std::string InstallOutcomeText(int result, const InstallReport& report);
