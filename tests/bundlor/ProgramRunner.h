// Starts a Windows program with CreateProcessA and collects what it wrote.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ProgramResult {
    DWORD exitCode = 0xFFFFFFFF;
    bool started = false;
    std::string out;
    std::string err;
};

// argv[0] is given as the program name typed; the folder becomes the current one.
ProgramResult RunProgram(const std::string& executable, const std::vector<std::string>& argv,
                         const std::string& folder);
