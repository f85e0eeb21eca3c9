#pragma once
// Windows only: a procedure of a loaded DLL, looked up at run time, as a typed function
// pointer: for calls that not every Windows version has, and for ntdll's, which keeps the
// executables' imports to the documented system DLLs.

#include <windows.h>

#include <cstring>

namespace platform {

// Null when the module or the procedure is not there.
template <typename Function>
Function ProcedureOf(HMODULE module, const char* name) {
    const FARPROC address = module == nullptr ? nullptr : ::GetProcAddress(module, name);
    Function function = nullptr;
    static_assert(sizeof function == sizeof address, "function pointers differ in size");
    std::memcpy(&function, &address, sizeof function);
    return function;
}

}  // namespace platform
