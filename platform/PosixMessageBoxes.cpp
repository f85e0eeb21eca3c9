// POSIX only: the message boxes of the Windows programs, as lines on the standard error
// stream, for the native build that tests them.

#include <cstdio>

#include "platform/Platform.h"
#include "platform/SystemCalls.h"

namespace platform {

void SetMessageBoxOwner(void*) {}

void os::ShowBox(const std::string& text, BoxIcon) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace platform
