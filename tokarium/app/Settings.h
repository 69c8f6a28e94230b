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

// The four switches of the main window, each 1 when absent (or without an
// application object).
void ReadSwitches(int& autoRefresh, int& doubleClickLogin, int& doubleClickDetails, int& autoUnpack);
