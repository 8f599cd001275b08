// Loading modules by their Windows names.
//
// "X.dll" (any case, with or without a folder, with or without ".dll") maps to libX.so, looked for
// first in the folder of the module that calls LoadLibrary, then in the folder of the platform
// library, then by the system's library search. A module handle is a 32-bit value; loading a
// loaded module again returns the same handle and counts a reference; FreeLibrary drops one and at
// the last runs the module's ExitInstance, unloads it, and makes its resources stop answering
// (the handle is dead from then on; a later load gets a new one).
//
// Deliberately missing: LoadLibraryEx flags, load-time error dialogs. A failed load returns 0
// and tavren::GetLastLoadError() says why in the dynamic loader's words.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>

using FARPROC = void (*)();

HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
inline HMODULE LoadLibrary(LPCWSTR lpLibFileName) { return LoadLibraryW(lpLibFileName); }
BOOL FreeLibrary(HMODULE hLibModule);
// A symbol exported with C linkage, or null.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Null: the executable's handle. Otherwise a loaded module by its Windows name ("TavrenJ.dll"), or 0.
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
inline HMODULE GetModuleHandle(LPCWSTR lpModuleName) { return GetModuleHandleW(lpModuleName); }
// The module's file name (the host path of the .so, as UTF-16); 0 when unknown, else its length.
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

namespace tavren {
// Why the last LoadLibraryW on this thread failed ("" after a success).
std::string GetLastLoadError();
// The module that contains pAddress (registered on first use), or 0.
HMODULE ModuleFromAddress(const void* pAddress);
// The host file name of libX.so for "X.dll", as LoadLibraryW would try it first from pCaller's folder.
std::string MapLibraryName(std::u16string_view strWindowsName, const void* pCaller);
} // namespace tavren
