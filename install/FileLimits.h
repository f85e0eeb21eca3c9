#pragma once
// The largest driver and kit files read whole: one place, for the reads and for the sentences
// that name the limits.

#include <cstdint>

// A list of a million entries is about 22 MB.
constexpr std::uint64_t kListFileLimit = 64ull << 20;
constexpr std::uint64_t kKitFileLimit = 64ull << 20;
constexpr std::uint64_t kFlagFileLimit = 64ull << 10;
