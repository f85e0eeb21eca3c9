#pragma once
// What a run's result says to people, in UTF-8: the dialog's two messages, the console
// program's result lines, and the sentence that says why a run failed.

#include <string>

#include "install/InstallReport.h"

// The message that reports an installer result.
std::string InstallResultText(int result);

// The result's message and, for a failure whose cause is known, a blank line and the
// sentence that says why, with the file's full path.
std::string InstallOutcomeText(int result, const InstallReport& report);

// The message that reports the result of a removal.
std::string UninstallResultText(const InstallReport& report);

// What a dry run foresees, in place of a result: what would be done, or that nothing would.
std::string DryRunResultText(const InstallReport& report);
