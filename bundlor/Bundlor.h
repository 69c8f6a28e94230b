// One run of bundlor: options, destination store, inputs in order, close.
#pragma once

#include "bundlor/CertificateFunctions.h"
#include "bundlor/Console.h"

enum BundlorExitCode {
    ExitDone = 0,
    ExitUsage = 1,
    ExitDestinationStore = 2,
};

int RunBundlor(int argc, const char* const* argv, CCertificateFunctions& functions,
               CConsole& console);
