#include "tokarium/token/ModuleLoader.h"

#ifdef _WIN32
#include <windows.h>

ModuleHandle OpenModule(const char* fileName, uint32_t* error)
{
    HMODULE module = LoadLibraryA(fileName);
    *error = module ? 0 : GetLastError();
    return reinterpret_cast<ModuleHandle>(module);
}

void* FindModuleEntry(ModuleHandle module, const char* name, uint32_t* error)
{
    FARPROC entry = GetProcAddress(static_cast<HMODULE>(module), name);
    *error = entry ? 0 : GetLastError();
    return reinterpret_cast<void*>(entry);
}

void CloseModule(ModuleHandle module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}

#else
#include <dlfcn.h>

ModuleHandle OpenModule(const char* fileName, uint32_t* error)
{
    void* module = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    *error = module ? 0 : LOADER_MODULE_NOT_FOUND;
    return module;
}

void* FindModuleEntry(ModuleHandle module, const char* name, uint32_t* error)
{
    void* entry = dlsym(module, name);
    *error = entry ? 0 : LOADER_PROC_NOT_FOUND;
    return entry;
}

void CloseModule(ModuleHandle module)
{
    dlclose(module);
}
#endif
