#pragma once
// What a run's result says to people, in UTF-8: the dialog's two messages, the console
// program's result lines, and the sentence that says why a run failed.

#include <string>
#include <vector>

#include "install/InstallReport.h"

// The message that reports an installer result.
std::string InstallResultText(int result);

// The result's message and, for a failure whose cause is known, a blank line and the
// sentence that says why, with the file's full path; then the files kept as newer.
std::string InstallOutcomeText(int result, const InstallReport& report);

// What a run says of each file of the settings folder that it kept because it was newer than
// the kit's, and how to put the kit's back: one sentence a file.
std::vector<std::string> KeptFileTexts(const InstallReport& report);

// The message that reports the result of a removal.
std::string UninstallResultText(const InstallReport& report);

// What a dry run foresees, in place of a result: what would be done, or that nothing would.
std::string DryRunResultText(const InstallReport& report);
