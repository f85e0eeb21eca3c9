#pragma once
// The names of the temporary files that the crash-safe writes leave beside their target for
// a moment: "<target>.~brenwick-<16 hex digits>.tmp", the same on every system. No driver
// names a file so, so a name of this form beside a target is always one of ours that a
// crashed run left behind, and may be removed.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

std::string TemporaryNameFor(std::string_view target, std::uint64_t random);

// Whether `name` is a temporary file of `target` by the form above.
bool IsTemporaryNameFor(std::string_view name, std::string_view target);

// Whether `name` is a temporary file of any target by the form above.
bool IsTemporaryName(std::string_view name);

}  // namespace platform
