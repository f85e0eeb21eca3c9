#pragma once
// SHA-256 of a run of bytes, as upper-case hexadecimal: the digits of PowerShell's
// Get-FileHash, with which administrators name a file's content, so that an inventory can be
// matched against a kit without a table of their own.

#include <string>
#include <string_view>

std::string Sha256Hex(std::string_view bytes);
