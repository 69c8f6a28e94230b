// Helpers of the Windows-side tests: the programs beside the test, a private
// state folder, and the reader scan as the manager performs it.
#ifndef QUORIN_TESTS_VMW_WINDOWS_HARNESS_H
#define QUORIN_TESTS_VMW_WINDOWS_HARNESS_H

#include <windows.h>

#include <string>
#include <vector>

namespace vmwtest {

std::string ProgramFolder();
// Runs a program of the test's folder with the arguments, serving this thread's
// windows while it runs; its exit code, or -1.
int RunBeside(const std::string& program, const std::string& arguments);
// Runs a command line as given (searched on the path); its exit code, or -1.
int RunCommand(const std::string& commandLine);

// The manager's reader scan: the readers that hold a card, or the failure code.
LONG ScanReaders(std::vector<std::string>& withCard);

}  // namespace vmwtest

#endif
