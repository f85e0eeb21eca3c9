#pragma once
// Where the shipped profile sets lie: folders of the kit, which is the executable's folder
// unless a caller names another.

#include <string>

#include "install/Drivers.h"

// A module path as Windows may give it with a prefix of its own ("\\\\?\\C:\\...",
// "\\\\?\\UNC\\srv\\...", "\\??\\..."; under Wine "UNC\\srv\\..." alone) as the plain path the rest
// of the program names folders by: "C:\\...", "\\\\srv\\...". Any other path as it is.
std::string PlainModulePath(const std::string& modulePath);

// The drive and directory of `modulePath` (directory with its trailing separator; a prefix
// as above taken off first), then `leaf`. The path is code page 932 text: a double-byte character
// whose second byte is 0x5C is never taken for a backslash. '\\' and '/' both end a directory, as
// for Windows.
std::string MakeSourceFolder(const std::string& modulePath, const std::string& leaf);

// The driver's profile set in `kitFolder`, or, without a kit folder, beside the executable.
std::string KitSourceFolder(const std::string& kitFolder, const Driver& driver);
