#pragma once
// The first key line with an empty value of each of a few wanted keys (ASCII letter case
// ignored), found in one pass over the lines that hold an '=' before a blank. It takes memory
// for the wanted keys only, however many empty entries a list holds.

#include <optional>
#include <string>
#include <vector>

#include "ini/IniLines.h"

// For each of `keys`, in the same order, its first key line in the scope of `section` that
// has an empty value, or none.
std::vector<std::optional<IniLine>> FindFirstEmptyEntries(const IniLines& lines,
                                                          const char* section,
                                                          const std::vector<std::string>& keys);

// For each of `keys`, in the same order, whether a key line in the scope of `section` of that
// key's slot holds a value: one pass over the lines, whichever keys are asked. A key that
// stands for a slot is matched by the slot's number ("2" and "000002" are one slot); any other
// key by its text, ASCII letter case ignored.
std::vector<bool> FindValuedKeys(const IniLines& lines, const char* section,
                                 const std::vector<std::string>& keys);
