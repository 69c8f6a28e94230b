#include "bundlor/Bundlor.h"

#include "bundlor/Options.h"
#include "bundlor/StoreBuilder.h"

#include <string>

namespace {

std::string UsageText(const char* programName)
{
    return std::string("Usage:\n\n") + programName +
           " [OPTIONS] DESTSTORE [CERT|STORE]+\n\n"
           "\tOPTIONS:\n"
           "\t\t--system-store (utilizza uno store di sistema e non un file)\n"
           "\t\t--auth\n"
           "\t\t--sign\n";
}

}  // namespace

int RunBundlor(int argc, const char* const* argv, CCertificateFunctions& functions,
               CConsole& console)
{
    BundlorOptions options = ParseOptions(argc, argv);
    if (!options.complete) {
        console.Err(UsageText(argc > 0 && argv[0] ? argv[0] : "bundlor"));
        return ExitUsage;
    }

    CStoreBuilder builder(functions, console, options);
    if (!builder.OpenStores(argv[options.destinationIndex]))
        return ExitDestinationStore;
    for (int index = options.destinationIndex + 1; index < argc; ++index)
        builder.ProcessInput(argv[index]);
    builder.CloseStores();
    return ExitDone;
}
