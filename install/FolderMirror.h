#pragma once
// Copies the plain files of a profile set into a driver's settings folder, one level deep.

#include <string>

// Copies every file of `sourceFolder` but subfolders and "Thumbs.db" into `targetFolder`.
// 1 when each was copied or left in place, also when the source cannot be listed; 0 when a
// copy failed, and the remaining files were not attempted.
int CopyFolderFiles(const std::string& sourceFolder, const std::string& targetFolder);

// Copies `sourceFile` over `targetFile` unless the target exists, has no version resource
// and was written in a later second than the source. 1 copied or left; 0 the copy failed.
int CopyFileIfNeeded(const std::string& targetFile, const std::string& sourceFile);
