#pragma once
// Texts from driver files and command lines go into lines for people and into the log; a
// control character in one would end a line or a record early, or be read as a command by a
// terminal. Each is written out as an escape instead.

#include <string>

// UTF-8 text with every C0 and C1 control character, DEL and the Unicode line and paragraph
// separators as "\xNN" or "\uNNNN"; a backslash stays as it is.
std::string PrintableText(const std::string& utf8);
