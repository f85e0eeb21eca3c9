#pragma once
// Copies the plain files of a profile set into a driver's settings folder, one level deep.

#include <string>

#include "install/FileLimits.h"
#include "install/InstallPlan.h"
#include "platform/Platform.h"

// Copies every file of `sourceFolder` but subfolders and "Thumbs.db" into `targetFolder`.
// 1 when each was copied or left in place, also when the source cannot be listed; 0 when a
// copy failed, and the remaining files were not attempted.
int CopyFolderFiles(const std::string& sourceFolder, const std::string& targetFolder);

// Copies `sourceFile` over `targetFile` unless the target exists, has no version resource
// and was written in a later second than the source, or already has the source's bytes and
// last-write second, and in either case is owned by an administrator, the system or the
// running account. 1 copied or left; 0 the copy failed, also on a target that is not a
// regular single-link file.
int CopyFileIfNeeded(const std::string& targetFile, const std::string& sourceFile);

// Compares the file at a name of the folder with a kit file's bytes: Ok when it holds exactly
// them, Changed when it was read and holds others, else why it could not be read (Locked:
// another program holds it, which is no difference).
platform::FileStatus CompareWithKit(const platform::Folder& folder, const std::string& name,
                                    const std::string& bytes);

// A warning that the check could not compare the folder with a kit file.
std::string KitNotComparedWarning(const std::string& kitFile);

// Whether a name of the kit is one of the driver's own files, which no copy may replace.
using DriverFileTest = bool (*)(const std::string& name);

// Decides the copy of the plan's kit into its settings folder: each file copied, kept by the
// rule above or left as it is, but for `placedElsewhere`, which a later step puts in place.
// A kit that holds one of the driver's own files stops the plan before any copy. A copy that
// cannot be made ends the copying there, and the run then goes on but fails in the end; a kit
// file too large to read stops the plan. -1 when the plan stops.
int PlanFolderMirror(InstallPlan& plan, const std::string& placedElsewhere,
                     DriverFileTest isDriverFile);
