#include "heraldix/Startup.h"

#include "heraldix/ActivityMessages.h"
#include "heraldix/Notifications.h"
#include "heraldix/resource.h"

#include <commctrl.h>

const char INSTANCE_MUTEX_NAME[] = "quorin_omnilink_mw_notification_execution_mutext";
const char NOTIFICATION_CLASS_NAME[] = "quorin_omnilink_mw_notification_class";
const char NOTIFICATION_WINDOW_NAME[] = "quorin_omnilink_mw_notification_window";

static_assert(sizeof(void*) != 4 || sizeof(WNDCLASSEXA) == 48, "the 32-bit class record is 48 bytes");

namespace {

const DWORD SECURITY_KERNEL_OBJECT = 6;          // SE_KERNEL_OBJECT
const DWORD LABEL_INFORMATION = 0x10;            // LABEL_SECURITY_INFORMATION
const DWORD DESCRIPTOR_REVISION_1 = 1;           // SDDL_REVISION_1
const DWORD FILTER_ALLOW = 1;                    // MSGFLT_ALLOW
const int SMALL_ICON_METRIC = 0;                 // LIM_SMALL

using SetSecurityInfoFunction = DWORD(WINAPI*)(HANDLE, DWORD, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
using GetSaclFunction = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, LPBOOL, PACL*, LPBOOL);
using ConvertDescriptorFunction = BOOL(WINAPI*)(LPCWSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
using LoadIconMetricFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);

template <typename Function>
Function Lookup(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

HANDLE CreateInstanceMutex(bool& alreadyRunning)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, INSTANCE_MUTEX_NAME);
    alreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
    return mutex;
}

bool ApplyLowIntegrityLabel(HANDLE object)
{
    HMODULE advapi = GetModuleHandleA("Advapi32.dll");
    if (!advapi)
        advapi = LoadLibraryA("Advapi32.dll");
    auto setSecurityInfo = Lookup<SetSecurityInfoFunction>(advapi, "SetSecurityInfo");
    auto getSacl = Lookup<GetSaclFunction>(advapi, "GetSecurityDescriptorSacl");
    auto convert =
        Lookup<ConvertDescriptorFunction>(advapi, "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    if (!setSecurityInfo || !getSacl || !convert)
        return false;

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!convert(L"S:(ML;;NW;;;LW)", DESCRIPTOR_REVISION_1, &descriptor, nullptr))
        return false;
    bool labelled = false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL sacl = nullptr;
    if (getSacl(descriptor, &present, &sacl, &defaulted)) {
        labelled = setSecurityInfo(object, SECURITY_KERNEL_OBJECT, LABEL_INFORMATION, nullptr, nullptr,
                                   nullptr, sacl) == ERROR_SUCCESS;
    }
    LocalFree(descriptor);
    return labelled;
}

ChangeWindowMessageFilterExFunction FindMessageFilterFunction()
{
    return Lookup<ChangeWindowMessageFilterExFunction>(GetModuleHandleA("user32.dll"),
                                                       "ChangeWindowMessageFilterEx");
}

void OpenActivityMessageFilters(HWND window, ChangeWindowMessageFilterExFunction changeFilter)
{
    if (!changeFilter)
        return;
    for (int index = 0; index < FILTERED_ACTIVITY_MESSAGE_COUNT; ++index)
        changeFilter(window, FilteredActivityMessage(index), FILTER_ALLOW, nullptr);
}

void InitCommonControlsForHeraldix()
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

void LoadTrayIcons(HINSTANCE instance, HMODULE resources)
{
    auto loadIconMetric = Lookup<LoadIconMetricFunction>(GetModuleHandleA("Comctl32.dll"), "LoadIconMetric");
    if (loadIconMetric) {
        loadIconMetric(instance, MAKEINTRESOURCEW(IDI_IDLE), SMALL_ICON_METRIC, &g_idleIcon);
        loadIconMetric(instance, MAKEINTRESOURCEW(IDI_FRAME1), SMALL_ICON_METRIC, &g_frame1Icon);
        loadIconMetric(instance, MAKEINTRESOURCEW(IDI_FRAME2), SMALL_ICON_METRIC, &g_frame2Icon);
        return;
    }
    g_idleIcon = LoadIconA(resources, MAKEINTRESOURCEA(IDI_IDLE));
    g_frame1Icon = LoadIconA(resources, MAKEINTRESOURCEA(IDI_FRAME1));
    g_frame2Icon = LoadIconA(resources, MAKEINTRESOURCEA(IDI_FRAME2));
}

ATOM RegisterNotificationClass()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = NotificationWndProc;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = NOTIFICATION_CLASS_NAME;
    return RegisterClassExA(&windowClass);
}

HWND CreateNotificationWindow(ATOM windowClass)
{
    return CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(windowClass)),
                           NOTIFICATION_WINDOW_NAME, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                           nullptr, nullptr, nullptr, nullptr);
}
