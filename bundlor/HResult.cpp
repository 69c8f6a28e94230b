#include "bundlor/HResult.h"

#include <cstdio>

HRESULT HResultFromError(DWORD error)
{
    if (static_cast<HRESULT>(error) <= 0)
        return static_cast<HRESULT>(error);
    return static_cast<HRESULT>(0x80070000UL | (error & 0xFFFFUL));
}

HRESULT FailureFromLastError()
{
    HRESULT code = HResultFromError(GetLastError());
    return code < 0 ? code : E_FAIL;
}

std::string FormatCode(HRESULT code)
{
    char text[16];
    std::snprintf(text, sizeof text, "<%08lx>", static_cast<unsigned long>(code) & 0xFFFFFFFFUL);
    return text;
}
