#include "bundlor/MappedFile.h"

#include "bundlor/HResult.h"

CMappedFile::~CMappedFile()
{
    Release();
}

HRESULT CMappedFile::Open(const char* path)
{
    Release();
    SetLastError(ERROR_SUCCESS);
    m_file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_file == INVALID_HANDLE_VALUE ? FailureFromLastError() : S_OK;
}

HRESULT CMappedFile::Map()
{
    SetLastError(ERROR_SUCCESS);
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(m_file, &sizeHigh);
    if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return FailureFromLastError();
    // One certificate never comes near 4 GB; mapping only the low part would
    // hand a truncated view to the decoder.
    if (sizeHigh != 0)
        return HResultFromError(ERROR_FILE_TOO_LARGE);

    SetLastError(ERROR_SUCCESS);
    m_mapping = CreateFileMappingA(m_file, nullptr, PAGE_READONLY, 0, size, nullptr);
    if (!m_mapping)
        return FailureFromLastError();

    SetLastError(ERROR_SUCCESS);
    m_view = static_cast<const BYTE*>(MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 0));
    if (!m_view)
        return FailureFromLastError();
    m_size = size;
    return S_OK;
}

void CMappedFile::Release()
{
    if (m_view)
        UnmapViewOfFile(m_view);
    if (m_mapping)
        CloseHandle(m_mapping);
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_view = nullptr;
    m_mapping = nullptr;
    m_file = INVALID_HANDLE_VALUE;
    m_size = 0;
}
