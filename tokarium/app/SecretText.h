#pragma once
// Secrets typed by the user (PINs): kept in buffers that are wiped before
// their memory is given back.

#include <windows.h>

#include <string>
#include <vector>

// Overwrites the characters and empties the string.
void WipeText(std::wstring& text);
void WipeText(std::string& text);

// A wide secret converted to the ANSI code page, wiped when it goes.
class CNarrowSecret {
public:
    explicit CNarrowSecret(const wchar_t* text);
    ~CNarrowSecret();
    const char* c_str() const { return m_text.data(); }

private:
    CNarrowSecret(const CNarrowSecret&) = delete;
    CNarrowSecret& operator=(const CNarrowSecret&) = delete;
    std::vector<char> m_text;
};

// Replaces text with the edit control's text, read through a buffer of our
// own that is wiped, so that no copy of the secret stays behind.
void ReadSecretText(HWND edit, std::wstring& text);
