#include "tokarium/token/Cryptoki.h"

#include <windows.h>

CCryptoki::CCryptoki() : m_module(nullptr) {}

CCryptoki::~CCryptoki() { Detach(); }

unsigned long CCryptoki::Attach(const char* fileName)
{
    Detach();
    HMODULE module = LoadLibraryA(fileName);
    if (!module)
        return GetLastError();
    m_module = module;
    return 0;
}

unsigned long CCryptoki::Detach()
{
    if (m_module) {
        FreeLibrary(static_cast<HMODULE>(m_module));
        m_module = nullptr;
    }
    return 0;
}
