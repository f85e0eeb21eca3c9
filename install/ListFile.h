#pragma once
// A driver's list file within a plan: read as the plan reads, its entries found and edited,
// and saved when an edit needs it, with the cause of a failure reported.

#include <string>
#include <vector>

#include "install/FileLimits.h"
#include "install/InstallPlan.h"
#include "platform/Platform.h"

// What a missing list file means to a plan.
enum class MissingList {
    Stops,    // the installation needs it
    IsEmpty,  // a removal: nothing is registered, nothing to do
};

// Loads the list file of the plan's settings folder into the plan's store: 0, or -1 with the
// plan stopped.
int PlanListLoad(InstallPlan& plan, const std::string& name,
                 MissingList missing = MissingList::Stops);

// Adds the save of the list's edits; a plan that writes first makes sure the file may be
// replaced, and stops (-1) when it may not.
int PlanListSave(InstallPlan& plan, const std::string& name);

// Why no entry could be had in a section: `full` when it has entries but none is free or
// none can be added, else whether its header is there at all.
FailureCause NoEntryCause(const CINIRead& list, const char* section, FailureCause full);

using ListEntries = std::vector<CINIRead::ValueEntry>;

// The entries of `section` that carry `value`, with the report's action and key set for a
// removal: none is a removal with nothing to do.
ListEntries FindEntriesToRemove(InstallPlan& plan, const char* section, const std::string& value);

// Each entry edited in the store, the report listing them in line order: `removes` tells
// which entries lose their line, the others get an empty value again.
void PlanEntryEdits(InstallPlan& plan, const std::string& listFile, const ListEntries& entries,
                    const std::function<bool(const CINIRead::ValueEntry&)>& removes);
