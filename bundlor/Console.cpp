#include "bundlor/Console.h"

#include <cstdio>

void CStandardConsole::Out(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void CStandardConsole::Err(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
