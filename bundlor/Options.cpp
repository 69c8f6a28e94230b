#include "bundlor/Options.h"

#include <cstring>

namespace {

bool Is(const char* argument, const char* option)
{
    return std::strcmp(argument, option) == 0;
}

}  // namespace

BundlorOptions ParseOptions(int argc, const char* const* argv)
{
    BundlorOptions options;
    int index = 1;
    for (; index < argc; ++index) {
        const char* argument = argv[index];
        if (Is(argument, "--system-store"))
            options.systemStore = true;
        else if (Is(argument, "--auth"))
            options.role = RoleAuthentication;
        else if (Is(argument, "--sign"))
            options.role = RoleSignature;
        else
            break;
    }
    options.destinationIndex = index;
    options.complete = argc - index >= 2;
    return options;
}
