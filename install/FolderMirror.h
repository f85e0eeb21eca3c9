#pragma once
// Copies the plain files of a profile set into a driver's settings folder, one level deep.

#include <string>

#include "install/InstallReport.h"
#include "platform/Platform.h"

// Copies every file of `sourceFolder` but subfolders and "Thumbs.db" into `targetFolder`.
// 1 when each was copied or left in place, also when the source cannot be listed; 0 when a
// copy failed, and the remaining files were not attempted.
int CopyFolderFiles(const std::string& sourceFolder, const std::string& targetFolder);
int CopyFolderFiles(const std::string& sourceFolder, const platform::Folder& target,
                    const InstallOptions& options, InstallReport& report);

// Copies `sourceFile` over `targetFile` unless the target exists, has no version resource
// and was written in a later second than the source. 1 copied or left; 0 the copy failed,
// also on a target that is not a regular single-link file.
int CopyFileIfNeeded(const std::string& targetFile, const std::string& sourceFile);
int CopyFileIfNeeded(const platform::Folder& target, const std::string& name,
                     const std::string& sourceFile, const InstallOptions& options,
                     InstallReport& report);
