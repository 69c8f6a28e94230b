#pragma once
// Where tokarium keeps its settings: under HKEY_CURRENT_USER, Software, then
// kRegistryKey, tokarium and kSettingsSection, through the profile functions.

extern const wchar_t kRegistryKey[];
extern const wchar_t kSettingsSection[];

extern const wchar_t kAutoRefresh[];
extern const wchar_t kDoubleClickLogin[];
extern const wchar_t kDoubleClickDetails[];
extern const wchar_t kAutoUnpack[];
extern const wchar_t kKeyGenerator[];
