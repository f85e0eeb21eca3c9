#include "support/PeImage.h"

#include <cstdlib>

#include "support/FileBytes.h"

namespace {

void Put16(std::string& image, std::size_t offset, std::uint32_t value) {
    image[offset] = static_cast<char>(value & 0xFF);
    image[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& image, std::size_t offset, std::uint32_t value) {
    Put16(image, offset, value & 0xFFFF);
    Put16(image, offset + 2, value >> 16);
}

}  // namespace

std::string MinimalPeImage(std::uint32_t resourceType) {
    std::string image(0x600, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 0x40);
    image.replace(0x40, 4, std::string("PE\0\0", 4));
    const std::size_t coff = 0x44, optional = coff + 20;
    Put16(image, coff, 0x8664);
    Put16(image, coff + 2, 1);      // one section
    Put16(image, coff + 16, 240);   // optional header size
    Put16(image, optional, 0x20B);  // PE32+
    Put32(image, optional + 108, 16);
    Put32(image, optional + 112 + 16, 0x1000);  // resource directory RVA
    Put32(image, optional + 112 + 20, 0x100);
    const std::size_t section = optional + 240;
    Put32(image, section + 8, 0x200);
    Put32(image, section + 12, 0x1000);
    Put32(image, section + 16, 0x200);
    Put32(image, section + 20, 0x400);
    Put16(image, 0x400 + 14, 1);  // root: one numbered entry
    Put32(image, 0x410, resourceType);
    Put32(image, 0x414, 0x80000018);
    Put16(image, 0x418 + 14, 1);  // the type's directory: one entry
    return image;
}

std::string VersionedFileBytes() {
#ifdef _WIN32
    const char* windows = std::getenv("SystemRoot");
    return ReadBytes(std::string(windows ? windows : "C:\\windows") + "\\system32\\version.dll");
#else
    return MinimalPeImage(16);
#endif
}
