#pragma once
// Whether a PE image carries a version resource (resource type 16), read from the image's
// headers and resource directory. Every offset is checked: a truncated or hostile file is
// simply an image without one.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

// Reads `size` bytes at `offset` into `out`; false when the image has fewer bytes there.
using ImageReader = std::function<bool(std::uint64_t offset, std::size_t size, unsigned char* out)>;

bool PeImageHasVersionResource(const ImageReader& read);

}  // namespace platform
