#pragma once
// The console program's words for people, in UTF-8: one line per step, then the result line
// in the dialog's own words and, for a failure, the sentence that says why.

#include <string>
#include <vector>

#include "cli/CliRun.h"

// The lines of a run; with `warnings`, the warnings too, where they came.
std::vector<std::string> OutcomeLines(const RunOutcome& run, bool warnings);
