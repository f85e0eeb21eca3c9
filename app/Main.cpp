// The entry point: restrict where DLLs come from, then run the application.

#include <windows.h>

#include <cstring>

#include "app/BrenwickApp.h"

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// A tool like this is often run from a download folder: no DLL is ever taken from there.
void RestrictDllSearch() {
    ::SetDllDirectoryW(L"");
    const FARPROC address =
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (address == nullptr) {
        return;
    }
    SetDefaultDllDirectoriesFunction setDirectories = nullptr;
    static_assert(sizeof setDirectories == sizeof address, "function pointers differ in size");
    std::memcpy(&setDirectories, &address, sizeof setDirectories);
    setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    theApp.InitInstance();
    return 0;
}
