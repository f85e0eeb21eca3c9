#pragma once
// For the system files: a whole read made into a block, handed on as a string.

#include <new>
#include <string>

#include "platform/Platform.h"

namespace platform {

// The block's bytes in `bytes` when the read that filled it went well; else its status.
inline FileStatus TextOfBlock(FileStatus read, const ByteBlock& block, std::string& bytes) {
    if (read != FileStatus::Ok) {
        return read;
    }
    try {
        bytes.assign(block.data.get(), block.size);
    } catch (const std::bad_alloc&) {
        return FileStatus::OutOfMemory;
    }
    return FileStatus::Ok;
}

}  // namespace platform
