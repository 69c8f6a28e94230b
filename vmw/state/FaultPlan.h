// Faults injected into the module through the state folder's faults.txt, one
// per line: "<function> <CK_RV in hex> once|always", for example
//   C_Login 0x30 once
//   C_DestroyObject 0x1B always
// A "once" fault is taken off the file when it fires.
#ifndef QUORIN_VMW_STATE_FAULT_PLAN_H
#define QUORIN_VMW_STATE_FAULT_PLAN_H

#include <string>
#include <vector>

namespace vmw {

struct Fault {
  std::string function;
  unsigned long rv = 0;
  bool always = false;
};

bool ParseFaults(const std::string& text, std::vector<Fault>& faults, std::string& error);
std::string FormatFaults(const std::vector<Fault>& faults);

bool LoadFaults(const std::string& path, std::vector<Fault>& faults, std::string& error);
bool SaveFaults(const std::string& path, const std::vector<Fault>& faults);

// Whether `function` is to fail now, and with what; consumes a "once" fault.
// A missing or unreadable file injects nothing.
bool TakeFault(const std::string& path, const char* function, unsigned long& rv);

}  // namespace vmw

#endif
