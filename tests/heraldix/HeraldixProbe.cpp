// heraldix with a test hook: every record it passes to the shell is passed on
// and also appended, one line each, to the file named by HERALDIX_SHELL_LOG:
//   operation TAB flags TAB tooltip TAB balloon text TAB balloon title TAB icon kind TAB time-out TAB result
// The first line reads "start" TAB the user's language TAB the ANSI code page.
// Everything else is the real program: same application object, same resources.
#include "heraldix/HeraldixApp.h"
#include "heraldix/SystemTray.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char logPath[MAX_PATH];

void AppendLine(const char* format, ...)
{
    if (!logPath[0])
        return;
    FILE* file = fopen(logPath, "ab");
    if (!file)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(file, format, arguments);
    va_end(arguments);
    fclose(file);
}

const char* OperationName(DWORD message)
{
    switch (message) {
    case NIM_ADD: return "add";
    case NIM_MODIFY: return "modify";
    case NIM_DELETE: return "delete";
    default: return "other";
    }
}

BOOL WINAPI LoggingShellNotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    BOOL result = Shell_NotifyIconA(message, data);
    AppendLine("%s\t%x\t%.128s\t%.256s\t%.64s\t%lu\t%u\t%d\n", OperationName(message), data->uFlags, data->szTip,
               data->szInfo, data->szInfoTitle, static_cast<unsigned long>(data->dwInfoFlags), data->uTimeout,
               result);
    return result;
}

class CHeraldixProbeApp : public CHeraldixApp {
public:
    BOOL InitInstance() override
    {
        DWORD length = GetEnvironmentVariableA("HERALDIX_SHELL_LOG", logPath, sizeof(logPath));
        if (length == 0 || length >= sizeof(logPath))
            logPath[0] = '\0';
        AppendLine("start\t%04x\t%u\n", GetUserDefaultLangID(), GetACP());
        g_shellNotifyIcon = LoggingShellNotifyIcon;
        return CHeraldixApp::InitInstance();
    }
};

CHeraldixProbeApp theApp;

}  // namespace
