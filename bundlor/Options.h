// bundlor's command line: [OPTIONS] DESTSTORE [CERT|STORE]+
#pragma once

enum BundlorRole {
    RoleNone = 0,
    RoleSignature = 1,
    RoleAuthentication = 2,
};

struct BundlorOptions {
    bool systemStore = false;
    BundlorRole role = RoleNone;
    int destinationIndex = 0;   // index of DESTSTORE in argv; inputs follow it

    // DESTSTORE and at least one input are present.
    bool complete = false;
};

// Options count only before DESTSTORE and only as whole, case-sensitive words;
// for the role the last one given wins.
BundlorOptions ParseOptions(int argc, const char* const* argv);
