#include "tests/bundlor/ProgramRunner.h"

#include "tests/bundlor/TestFiles.h"

namespace {

std::string Quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramResult RunProgram(const std::string& executable, const std::vector<std::string>& argv,
                         const std::string& folder)
{
    ProgramResult result;
    std::string commandLine;
    for (const std::string& argument : argv)
        commandLine += (commandLine.empty() ? "" : " ") + Quoted(argument);

    std::string outPath = folder + "/stdout.txt", errPath = folder + "/stderr.txt";
    HANDLE input = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = InheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = InheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    result.started = CreateProcessA(executable.c_str(), line.data(), nullptr, nullptr, TRUE,
                                    CREATE_NO_WINDOW, nullptr, folder.c_str(), &startup,
                                    &process) != FALSE;
    CloseHandle(input);
    CloseHandle(out);
    CloseHandle(err);
    if (!result.started)
        return result;

    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    Bytes outBytes = ReadFileBytes(outPath), errBytes = ReadFileBytes(errPath);
    result.out.assign(outBytes.begin(), outBytes.end());
    result.err.assign(errBytes.begin(), errBytes.end());
    return result;
}
