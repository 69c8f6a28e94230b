#include "tokarium/app/Settings.h"

#include "platform/framework/WinApp.h"

const wchar_t kRegistryKey[] = L"Local AppWizard-Generated Applications";
const wchar_t kSettingsSection[] = L"Settings";

const wchar_t kAutoRefresh[] = L"AutoRefresh";
const wchar_t kDoubleClickLogin[] = L"DoubleClickLogin";
const wchar_t kDoubleClickDetails[] = L"DoubleClickDetails";
const wchar_t kAutoUnpack[] = L"AutoUnpack";
const wchar_t kKeyGenerator[] = L"KeyGenerator";

void ReadSwitches(int& autoRefresh, int& doubleClickLogin, int& doubleClickDetails, int& autoUnpack)
{
    CWinApp* app = AfxGetApp();
    auto read = [app](const wchar_t* name) {
        return app ? static_cast<int>(app->GetProfileIntW(kSettingsSection, name, 1)) : 1;
    };
    autoRefresh = read(kAutoRefresh);
    doubleClickLogin = read(kDoubleClickLogin);
    doubleClickDetails = read(kDoubleClickDetails);
    autoUnpack = read(kAutoUnpack);
}
