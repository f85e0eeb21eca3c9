#pragma once
// The test seam as the front (Platform.cpp) consults it. Only the unit tests' build of the
// core carries the seam (BRENWICK_TEST_SEAM); in the programs' build no call is made to fail,
// no wait is shortened and no message box is recorded, and these calls compile to nothing.

#include <string>

#include "platform/TestSeam.h"

namespace platform::seam {

#ifdef BRENWICK_TEST_SEAM

// Consumed at the start of each call that can be made to fail.
bool ShouldFail(Call call);
// Runs the act planned for the moment a temporary file is filled, if any.
void TemporaryFileWritten(const std::string& temporary);
int WaitLimit(int realLimit);
// True when the text was recorded instead of shown.
bool RecordMessageBox(const std::string& text);

#else

inline bool ShouldFail(Call) {
    return false;
}
inline void TemporaryFileWritten(const std::string&) {}
inline int WaitLimit(int realLimit) {
    return realLimit;
}
inline bool RecordMessageBox(const std::string&) {
    return false;
}

#endif

}  // namespace platform::seam
