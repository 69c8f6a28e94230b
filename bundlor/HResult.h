// Error codes as bundlor reports them: HRESULTs, failures negative.
#pragma once

#include <windows.h>

#include <string>

// A Win32 error e > 0 becomes HRESULT_FROM_WIN32(e); 0 and codes that are
// already HRESULTs (negative) come back unchanged.
HRESULT HResultFromError(DWORD error);

// The code of a call that has just failed, from GetLastError. A failed call that
// left no code is reported as E_FAIL rather than as success.
HRESULT FailureFromLastError();

// "<%08x>": the code as eight lower-case hexadecimal digits in angle brackets.
std::string FormatCode(HRESULT code);
