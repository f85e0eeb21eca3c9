#pragma once
// A slot key read from a list file becomes part of a file name ("FTS_EX<key>.xml").

#include <string>

// Whether the key can name a file inside the settings folder on any code page: no byte
// 0x5C or 0x2F anywhere (the system's ANSI conversion of a code page other than 932 reads
// a trail byte of that value as a separator), no other character a file name cannot hold,
// no control byte, no '~', which could make the name the short name of another file, and no
// more than 200 bytes, and not empty.
bool IsSafeSlotKey(const std::string& key);

// Whether the key names a slot profile of its own: a safe key whose profile file is not,
// in any letter case, the profile's shipped name.
bool IsSafeProfileKey(const std::string& key);
