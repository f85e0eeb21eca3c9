// Windows only: calls bounded in time by cancelling their synchronous I/O from the caller's
// thread. Microsoft documents an open, a rename or a deletion that waits for another program
// to acknowledge an oplock break as cancellable so.

#include "platform/Win32Bounded.h"

#include <exception>
#include <memory>

#include "platform/SystemCalls.h"
#include "platform/Win32Procedures.h"

namespace platform {

namespace {

using CancelSynchronousIoCall = BOOL(WINAPI*)(HANDLE);

// How often a cancellation is asked again while the call has not returned: an operation
// that started after the last one was cancelled is then cancelled too.
constexpr DWORD kCancelAgainMilliseconds = 50;

CancelSynchronousIoCall CancelSynchronousIoOf() {
    static const auto cancel = ProcedureOf<CancelSynchronousIoCall>(
        ::GetModuleHandleW(L"kernel32.dll"), "CancelSynchronousIo");
    return cancel;
}

// What the worker takes and gives back. It lives apart from the caller's frame, so that a
// worker given up still has it.
struct Work {
    std::function<void()> call;
    DWORD lastError = ERROR_SUCCESS;
    std::exception_ptr failure;
};

DWORD WINAPI RunWork(LPVOID parameter) {
    Work& work = *static_cast<Work*>(parameter);
    try {
        work.call();
    } catch (...) {
        work.failure = std::current_exception();
    }
    work.lastError = ::GetLastError();
    return 0;
}

// Cancels the worker's I/O until it returns, or until a second limit is up (a system that
// cannot cancel it, or an operation that ignores the cancellation): false then.
bool CancelUntilReturned(HANDLE worker, CancelSynchronousIoCall cancel, DWORD limit) {
    for (DWORD waited = 0; ::WaitForSingleObject(worker, 0) == WAIT_TIMEOUT;
         waited += kCancelAgainMilliseconds) {
        if (waited >= limit) {
            return false;
        }
        cancel(worker);
        ::WaitForSingleObject(worker, kCancelAgainMilliseconds);
    }
    return true;
}

}  // namespace

bool RunBounded(const std::function<void()>& call) {
    const CancelSynchronousIoCall cancel = CancelSynchronousIoOf();
    auto work = std::make_unique<Work>();
    work->call = call;
    const HANDLE worker =
        cancel == nullptr ? nullptr : ::CreateThread(nullptr, 0, RunWork, work.get(), 0, nullptr);
    if (worker == nullptr) {
        call();
        return true;
    }
    const DWORD limit = static_cast<DWORD>(os::WaitLimitMilliseconds());
    if (::WaitForSingleObject(worker, limit) == WAIT_TIMEOUT &&
        !CancelUntilReturned(worker, cancel, limit)) {
        ::SuspendThread(worker);
        ::CloseHandle(worker);
        work.release();  // still the worker's
        ::SetLastError(ERROR_OPERATION_ABORTED);
        return false;
    }
    ::CloseHandle(worker);
    if (work->failure) {
        std::rethrow_exception(work->failure);
    }
    ::SetLastError(work->lastError);
    return true;
}

HANDLE CreateFileBounded(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                         DWORD flags, PSECURITY_DESCRIPTOR rules) {
    HANDLE file = INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES security{sizeof security, rules, FALSE};
    RunBounded([&] {
        file = ::CreateFileW(path.c_str(), access, share, rules != nullptr ? &security : nullptr,
                             disposition, flags, nullptr);
    });
    return file;
}

}  // namespace platform
