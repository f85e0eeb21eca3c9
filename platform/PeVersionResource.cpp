#include "platform/PeVersionResource.h"

#include <array>

namespace platform {

namespace {

constexpr std::uint32_t kVersionResourceType = 16;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kMaxRootEntries = 4096;

class ImageView {
public:
    explicit ImageView(const ImageReader& read) : read_(read) {}

    bool U16(std::uint64_t offset, std::uint32_t& value) const {
        std::array<unsigned char, 2> bytes{};
        if (!read_(offset, bytes.size(), bytes.data())) {
            return false;
        }
        value = bytes[0] | (bytes[1] << 8);
        return true;
    }

    bool U32(std::uint64_t offset, std::uint32_t& value) const {
        std::array<unsigned char, 4> bytes{};
        if (!read_(offset, bytes.size(), bytes.data())) {
            return false;
        }
        value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
        return true;
    }

private:
    const ImageReader& read_;
};

struct Headers {
    std::uint64_t sectionTable = 0;
    std::uint32_t sectionCount = 0;
    std::uint32_t resourceRva = 0;
};

bool ReadHeaders(const ImageView& image, Headers& headers) {
    std::uint32_t dosMagic = 0, peOffset = 0, signature = 0;
    if (!image.U16(0, dosMagic) || dosMagic != 0x5A4D || !image.U32(0x3C, peOffset) ||
        !image.U32(peOffset, signature) || signature != 0x00004550) {
        return false;
    }
    const std::uint64_t coff = std::uint64_t{peOffset} + 4;
    std::uint32_t optionalSize = 0, magic = 0;
    if (!image.U16(coff + 2, headers.sectionCount) || !image.U16(coff + 16, optionalSize) ||
        !image.U16(coff + 20, magic)) {
        return false;
    }
    const std::uint64_t optional = coff + 20;
    const std::uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    std::uint32_t directoryCount = 0;
    if ((magic != 0x10B && magic != 0x20B) || !image.U32(directories - 4, directoryCount) ||
        directoryCount <= kResourceDirectoryIndex ||
        !image.U32(directories + 8 * kResourceDirectoryIndex, headers.resourceRva)) {
        return false;
    }
    headers.sectionTable = optional + optionalSize;
    return headers.resourceRva != 0 && headers.sectionCount <= kMaxSections;
}

bool RvaToOffset(const ImageView& image, const Headers& headers, std::uint32_t rva,
                 std::uint64_t& offset) {
    for (std::uint32_t index = 0; index < headers.sectionCount; ++index) {
        const std::uint64_t section = headers.sectionTable + 40ull * index;
        std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0;
        if (!image.U32(section + 8, virtualSize) || !image.U32(section + 12, virtualAddress) ||
            !image.U32(section + 16, rawSize) || !image.U32(section + 20, rawPointer)) {
            return false;
        }
        const std::uint32_t extent = virtualSize > rawSize ? virtualSize : rawSize;
        if (rva >= virtualAddress && std::uint64_t{rva} < std::uint64_t{virtualAddress} + extent) {
            offset = std::uint64_t{rawPointer} + (rva - virtualAddress);
            return true;
        }
    }
    return false;
}

bool DirectoryHasEntries(const ImageView& image, std::uint64_t directory) {
    std::uint32_t named = 0, numbered = 0;
    return image.U16(directory + 12, named) && image.U16(directory + 14, numbered) &&
           named + numbered > 0;
}

}  // namespace

bool PeImageHasVersionResource(const ImageReader& read) {
    const ImageView image(read);
    Headers headers;
    std::uint64_t root = 0;
    if (!ReadHeaders(image, headers) || !RvaToOffset(image, headers, headers.resourceRva, root)) {
        return false;
    }
    std::uint32_t named = 0, numbered = 0;
    if (!image.U16(root + 12, named) || !image.U16(root + 14, numbered) ||
        named + numbered > kMaxRootEntries) {
        return false;
    }
    for (std::uint32_t index = named; index < named + numbered; ++index) {
        const std::uint64_t entry = root + 16 + 8ull * index;
        std::uint32_t type = 0, target = 0;
        if (!image.U32(entry, type) || !image.U32(entry + 4, target)) {
            return false;
        }
        if (type == kVersionResourceType && (target & kSubdirectoryFlag) != 0) {
            return DirectoryHasEntries(image, root + (target & ~kSubdirectoryFlag));
        }
    }
    return false;
}

}  // namespace platform
