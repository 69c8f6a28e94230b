#include "tokarium/app/Settings.h"

const wchar_t kRegistryKey[] = L"Local AppWizard-Generated Applications";
const wchar_t kSettingsSection[] = L"Settings";

const wchar_t kAutoRefresh[] = L"AutoRefresh";
const wchar_t kDoubleClickLogin[] = L"DoubleClickLogin";
const wchar_t kDoubleClickDetails[] = L"DoubleClickDetails";
const wchar_t kAutoUnpack[] = L"AutoUnpack";
const wchar_t kKeyGenerator[] = L"KeyGenerator";
