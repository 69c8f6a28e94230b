#pragma once
// A program started by a test. The object ends the program when it goes, if it
// still runs.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace uidriver {

// "/unix/path" as Wine sees it ("Z:\unix\path"); Windows paths are kept.
std::wstring WindowsPath(const std::string& path);

class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Set before Start: environment variables the program gets on top of ours.
    void SetEnvironment(const std::wstring& name, const std::wstring& value);

    bool Start(const std::wstring& executable, const std::wstring& arguments = L"");
    DWORD Id() const { return m_info.dwProcessId; }
    bool IsRunning() const;
    // True when the program ended within the time; its exit code in *code.
    bool WaitForExit(DWORD milliseconds, DWORD* code = nullptr);
    void Terminate();

private:
    std::vector<wchar_t> EnvironmentBlock() const;

    PROCESS_INFORMATION m_info = {};
    std::vector<std::pair<std::wstring, std::wstring>> m_environment;
};

}  // namespace uidriver
