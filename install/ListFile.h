#pragma once
// A driver's list file within a plan: read as the plan reads, and saved when an edit needs
// it, with the cause of a failure reported.

#include <string>

#include "install/InstallPlan.h"
#include "platform/Platform.h"

// The largest list file that is read whole (a list of a million entries is about 22 MB).
constexpr std::uint64_t kListFileLimit = 64ull << 20;

// The cause that a list file's read failure is reported as.
FailureCause ListFileFailureCause(platform::FileStatus status);

// Loads the list file of the plan's settings folder into the plan's store: 0, or -1 with the
// plan stopped.
int PlanListLoad(InstallPlan& plan, const std::string& name);

// Adds the save of the list's edits; an exclusive plan first makes sure the file may be
// replaced, and stops (-1) when it may not.
int PlanListSave(InstallPlan& plan, const std::string& name);
