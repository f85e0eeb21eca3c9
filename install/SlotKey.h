#pragma once
// A slot key read from a list file becomes part of a file name ("FTS_EX<key>.xml").

#include <string>

// Whether the key can name a file inside the settings folder on any code page: no byte
// 0x5C or 0x2F anywhere (the system's ANSI conversion of a code page other than 932 reads
// a trail byte of that value as a separator), no other character a file name cannot hold,
// no control byte.
bool IsSafeSlotKey(const std::string& key);
