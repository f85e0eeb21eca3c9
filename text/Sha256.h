#pragma once
// SHA-256 of a run of bytes, as lower-case hexadecimal: how administrators name a file's
// content (Get-FileHash, sha256sum), so that an inventory can be matched against a kit.

#include <string>
#include <string_view>

std::string Sha256Hex(std::string_view bytes);
