#include "tokarium/app/SecretText.h"

#include <windows.h>

void WipeText(std::wstring& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    text.clear();
}

void WipeText(std::string& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size());
    text.clear();
}

CNarrowSecret::CNarrowSecret(const wchar_t* text) : m_text(1, '\0')
{
    if (!text || !*text)
        return;
    int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return;
    m_text.assign(static_cast<size_t>(needed), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, m_text.data(), needed, nullptr, nullptr) <= 0)
        m_text.assign(m_text.size(), '\0');
}

CNarrowSecret::~CNarrowSecret() { SecureZeroMemory(m_text.data(), m_text.size()); }

void ReadSecretText(HWND edit, std::wstring& text)
{
    WipeText(text);
    int length = ::GetWindowTextLengthW(edit);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    ::GetWindowTextW(edit, buffer.data(), static_cast<int>(buffer.size()));
    // Room for the whole text first, so that assigning it moves nothing.
    text.reserve(buffer.size());
    text.assign(buffer.data());
    SecureZeroMemory(buffer.data(), buffer.size() * sizeof(wchar_t));
}
