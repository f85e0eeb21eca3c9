#pragma once
// The settings dialog's install command, apart from any window.

#include <string>

// Runs the installer of the chosen driver: 0 PaperStream IP with `psipSource`, any other
// choice the fi-series TWAIN driver with `twainSource`. Returns the installer's result.
int InstallSelectedDriver(int choice, const std::string& psipSource,
                          const std::string& twainSource);

// The message that reports an installer result, in code page 932.
std::string InstallResultText(int result);
