#pragma once
// Where the shipped profile sets lie: folders beside the executable.

#include <string>

// The drive and directory of `modulePath` (directory with its trailing separator), then
// `leaf`. The path is code page 932 text: a double-byte character whose second byte is 0x5C
// is never taken for a backslash. '\\' and '/' both end a directory, as for Windows.
std::string MakeSourceFolder(const std::string& modulePath, const std::string& leaf);
