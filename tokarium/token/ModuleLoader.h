#pragma once
// The platform's library loader behind three calls. On Windows these are
// LoadLibraryA, GetProcAddress and FreeLibrary with GetLastError; elsewhere
// dlopen, dlsym and dlclose, which report the Windows codes so that callers
// and tests read alike.

#include <cstdint>

typedef void* ModuleHandle;

constexpr uint32_t LOADER_MODULE_NOT_FOUND = 126; // ERROR_MOD_NOT_FOUND
constexpr uint32_t LOADER_PROC_NOT_FOUND = 127;   // ERROR_PROC_NOT_FOUND

// Null on failure, with the loader's error code in *error.
ModuleHandle OpenModule(const char* fileName, uint32_t* error);

// Null when the module has no such export, with the loader's error code in *error.
void* FindModuleEntry(ModuleHandle module, const char* name, uint32_t* error);

void CloseModule(ModuleHandle module);
