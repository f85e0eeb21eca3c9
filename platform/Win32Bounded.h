#pragma once
// Windows only: calls that may wait on another program (an open, a rename or deletion that
// breaks another program's oplock, a read) made with a bound on the wait. The call runs on a
// worker thread; once the wait for another program has lasted its limit, its synchronous I/O
// is cancelled until the call returns, which then reports the cancelled operation as
// ERROR_OPERATION_ABORTED (STATUS_CANCELLED). The program itself stays single-threaded: the
// caller waits for the worker, and nothing else runs meanwhile.

#include <windows.h>

#include <functional>
#include <string>

namespace platform {

// Runs `call` as described, with the worker's last error handed back to the calling thread.
// Where the system cannot cancel another thread's I/O or start a thread, the call is made
// directly, as a call without a bound. A call that cancelling does not end either is given up
// at a second bound: false then, with ERROR_OPERATION_ABORTED, and the worker is suspended and
// left, its state kept, so that it runs nothing more of the program.
bool RunBounded(const std::function<void()>& call);

// The same for a call with a result; `givenUp` stands for the result of a call given up.
template <typename Call>
auto Bounded(const Call& call, decltype(call()) givenUp = {}) -> decltype(call()) {
    decltype(call()) result{};
    if (!RunBounded([&] { result = call(); })) {
        return givenUp;
    }
    return result;
}

// CreateFileW by path, bounded; a new file gets `rules` (null: the folder's inherited ones).
HANDLE CreateFileBounded(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                         DWORD flags, PSECURITY_DESCRIPTOR rules = nullptr);

}  // namespace platform
