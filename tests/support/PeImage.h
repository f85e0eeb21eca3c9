#pragma once
// Bytes of small PE images for tests of the version-resource check.

#include <cstdint>
#include <string>

// A minimal 64-bit PE image whose resource directory holds one resource of `resourceType`.
std::string MinimalPeImage(std::uint32_t resourceType);

// The bytes of a file that the running system reports as carrying a version resource.
std::string VersionedFileBytes();
