#pragma once
// The project's text mode, the same on every system: a file is read as bytes, a CR LF pair
// arrives as LF, and every LF is written as CR LF. No other byte (not even 0x1A) is special.

#include <string>
#include <string_view>
#include <vector>

// The lines of a text, each with its line feed; a last line without one stays without.
std::vector<std::string> SplitTextLines(const std::string& bytes);

// Appends the file bytes of one line read by SplitTextLines.
void AppendTextLine(std::string& bytes, std::string_view line);
