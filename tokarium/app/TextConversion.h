#pragma once
// Text crossing between the window controls (UTF-16) and the token layer and
// runtime library (narrow text in the ANSI code page).

#include <string>

// Narrow to UTF-16 in decomposed form (a base character followed by its
// combining characters). Empty when the text cannot be converted.
std::wstring ToWide(const char* text);
inline std::wstring ToWide(const std::string& text) { return ToWide(text.c_str()); }

// UTF-16 to the ANSI code page; characters without an equivalent become the
// system's default character.
std::string ToNarrow(const wchar_t* text);
inline std::string ToNarrow(const std::wstring& text) { return ToNarrow(text.c_str()); }
