#include "heraldix/ManagerLauncher.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "the 32-bit start-up record is 68 bytes");

namespace {

const char MANAGER_KEY[] = "SOFTWARE\\quorin\\tokarium";
const DWORD VALUE_BUFFER_SIZE = 1024;

// A text value, taken only when it is text that fits and ends with its zero.
std::string ReadTextValue(HKEY key, const char* name)
{
    char buffer[VALUE_BUFFER_SIZE];
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    if (size == 0 || size > sizeof(buffer) || buffer[size - 1] != '\0')
        return std::string();
    return std::string(buffer);
}

}  // namespace

ManagerSettings ReadManagerSettings()
{
    ManagerSettings settings;
    HKEY key = nullptr;
    // Read access only: a standard user may not open this key for writing.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MANAGER_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return settings;
    settings.path = ReadTextValue(key, "path");
    settings.name = ReadTextValue(key, "name");
    RegCloseKey(key);
    return settings;
}

bool ManagerPathExists(const std::string& path)
{
    return !path.empty() && PathFileExistsA(path.c_str());
}

void LaunchManager(const std::string& path)
{
    if (!ManagerPathExists(path))
        return;
    std::vector<char> directory(path.begin(), path.end());
    directory.resize(path.size() + 1 < MAX_PATH ? MAX_PATH : path.size() + 1, '\0');
    PathRemoveFileSpecA(directory.data());

    std::string quoted = "\"" + path + "\"";
    std::vector<char> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       directory[0] ? directory.data() : nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
