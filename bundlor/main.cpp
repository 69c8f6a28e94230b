// bundlor [OPTIONS] DESTSTORE [CERT|STORE]+
// Adds certificates from files and stores to a store file or a system store.
#include "bundlor/Bundlor.h"
#include "bundlor/Console.h"
#include "bundlor/Crypt32Functions.h"

int main(int argc, char** argv)
{
    CCrypt32Functions crypt32;
    CStandardConsole console;
    return RunBundlor(argc, argv, crypt32, console);
}
