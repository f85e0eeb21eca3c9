#pragma once
// Where a driver keeps its settings, and the test that a candidate folder is usable.

#include <initializer_list>
#include <string>

// `base` followed by each of `names`, joined by the system's separator.
std::string SubFolder(const std::string& base, std::initializer_list<const char*> names);

// Whether the path names an existing folder (not a file).
bool PassesFolderTest(const std::string& path);
