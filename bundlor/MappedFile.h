// A file mapped read-only as a whole; everything it created is released when it
// goes away, whichever step failed.
#pragma once

#include <windows.h>

class CMappedFile {
public:
    CMappedFile() = default;
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;
    ~CMappedFile();

    // CreateFileA for reading, shared with other readers. Returns an HRESULT.
    HRESULT Open(const char* path);

    // Maps the whole opened file. Returns an HRESULT.
    HRESULT Map();

    const BYTE* Data() const { return m_view; }
    DWORD Size() const { return m_size; }

private:
    void Release();

    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_mapping = nullptr;
    const BYTE* m_view = nullptr;
    DWORD m_size = 0;
};
