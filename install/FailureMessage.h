#pragma once
// One sentence for people for each cause of failure: what happened, to which file, and what
// to do. UTF-8 text.

#include <string>

#include "install/InstallReport.h"

// The sentence with "「%s」" where the file's full path goes.
const char* FailureMessageFormat(FailureCause cause);

// The sentence with the file (a path as the system names it) put in; with no file, without
// the mention of one.
std::string FailureMessage(FailureCause cause, const std::string& file);
