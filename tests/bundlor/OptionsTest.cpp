#include "bundlor/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

BundlorOptions Parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "bundlor");
    return ParseOptions(static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace

TEST(Options, OptionsBeforeTheDestinationLastRoleWins)
{
    struct Case {
        std::vector<const char*> arguments;
        bool systemStore;
        BundlorRole role;
        int destinationIndex;
        bool complete;
    } cases[] = {
        {{}, false, RoleNone, 1, false},
        {{"d.sst"}, false, RoleNone, 1, false},
        {{"d.sst", "a.cer"}, false, RoleNone, 1, true},
        {{"--auth", "--sign"}, false, RoleSignature, 3, false},
        {{"--sign", "--auth", "d.sst", "a.cer"}, false, RoleAuthentication, 3, true},
        {{"--auth", "--sign", "d.sst", "a.cer"}, false, RoleSignature, 3, true},
        {{"--auth", "--auth", "d.sst", "a.cer"}, false, RoleAuthentication, 3, true},
        {{"--system-store", "My", "a.cer", "b.cer"}, true, RoleNone, 2, true},
        {{"--system-store", "--system-store", "My", "a.cer"}, true, RoleNone, 3, true},
        // Exact, whole, case-sensitive words only: these are DESTSTORE.
        {{"--Auth", "a.cer"}, false, RoleNone, 1, true},
        {{"--sign=1", "a.cer"}, false, RoleNone, 1, true},
        {{"-sign", "a.cer"}, false, RoleNone, 1, true},
        {{"--system-store ", "a.cer"}, false, RoleNone, 1, true},
        // After DESTSTORE nothing is an option.
        {{"d.sst", "--auth", "--system-store"}, false, RoleNone, 1, true},
        {{"--sign", "d.sst", "--auth"}, false, RoleSignature, 2, true},
    };
    for (const Case& c : cases) {
        BundlorOptions options = Parse(c.arguments);
        std::string label;
        for (const char* a : c.arguments)
            label += std::string(a) + " ";
        EXPECT_EQ(options.systemStore, c.systemStore) << label;
        EXPECT_EQ(options.role, c.role) << label;
        EXPECT_EQ(options.destinationIndex, c.destinationIndex) << label;
        EXPECT_EQ(options.complete, c.complete) << label;
    }
}
