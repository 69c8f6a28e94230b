#include "tests/uidriver/Program.h"

#include <cwctype>

namespace uidriver {

std::wstring WindowsPath(const std::string& path)
{
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide[0] == L'/') {
        for (wchar_t& c : wide)
            if (c == L'/')
                c = L'\\';
        wide = L"Z:" + wide;
    }
    return wide;
}

Program::~Program() { Terminate(); }

void Program::SetEnvironment(const std::wstring& name, const std::wstring& value)
{
    m_environment.emplace_back(name, value);
}

static bool SameName(const std::wstring& entry, const std::wstring& name)
{
    if (entry.size() <= name.size() || entry[name.size()] != L'=')
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::towupper(entry[i]) != std::towupper(name[i]))
            return false;
    return true;
}

std::vector<wchar_t> Program::EnvironmentBlock() const
{
    std::vector<std::wstring> entries;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; p && *p; p += wcslen(p) + 1)
        entries.emplace_back(p);
    FreeEnvironmentStringsW(strings);
    for (const auto& variable : m_environment) {
        std::vector<std::wstring> kept;
        for (const std::wstring& entry : entries)
            if (!SameName(entry, variable.first))
                kept.push_back(entry);
        kept.push_back(variable.first + L"=" + variable.second);
        entries.swap(kept);
    }
    std::vector<wchar_t> block;
    for (const std::wstring& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

bool Program::Start(const std::wstring& executable, const std::wstring& arguments)
{
    if (m_info.hProcess)
        return false;
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    std::vector<wchar_t> environment = EnvironmentBlock();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &m_info)
        != FALSE;
}

bool Program::IsRunning() const
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD milliseconds, DWORD* code)
{
    if (!m_info.hProcess)
        return false;
    if (WaitForSingleObject(m_info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(m_info.hProcess, code);
    return true;
}

void Program::Terminate()
{
    if (!m_info.hProcess)
        return;
    if (IsRunning()) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
    m_info = PROCESS_INFORMATION{};
}

}  // namespace uidriver
