#include "vmw/state/FaultPlan.h"

#include "vmw/state/DurableFile.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vmw {

namespace {

bool ParseRv(const std::string& text, unsigned long& rv) {
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return false;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str() + 2, &end, 16);
  if (*end != '\0' || value > 0xFFFFFFFFull) return false;
  rv = static_cast<unsigned long>(value);
  return true;
}

bool IsFunctionName(const std::string& name) {
  if (name.size() < 3 || name.size() > 40 || name.compare(0, 2, "C_") != 0) return false;
  for (char c : name.substr(2)) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

}  // namespace

bool ParseFaults(const std::string& text, std::vector<Fault>& faults, std::string& error) {
  std::vector<Fault> parsed;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Fault fault;
    std::string rv, mode, extra;
    words >> fault.function >> rv >> mode >> extra;
    if (!IsFunctionName(fault.function) || !ParseRv(rv, fault.rv) ||
        (mode != "once" && mode != "always") || !extra.empty()) {
      error = "line " + std::to_string(number) + ": expected '<C_function> 0x<rv> once|always'";
      return false;
    }
    fault.always = mode == "always";
    parsed.push_back(fault);
  }
  faults.swap(parsed);
  return true;
}

std::string FormatFaults(const std::vector<Fault>& faults) {
  std::string text;
  for (const Fault& fault : faults) {
    char rv[16];
    std::snprintf(rv, sizeof rv, "0x%lX", fault.rv);
    text += fault.function + " " + rv + (fault.always ? " always\n" : " once\n");
  }
  return text;
}

bool LoadFaults(const std::string& path, std::vector<Fault>& faults, std::string& error) {
  std::string text;
  if (!ReadWholeFile(path, text)) {
    faults.clear();
    return true;
  }
  return ParseFaults(text, faults, error);
}

bool SaveFaults(const std::string& path, const std::vector<Fault>& faults) {
  return WriteFileDurably(path, FormatFaults(faults));
}

bool TakeFault(const std::string& path, const char* function, unsigned long& rv) {
  std::vector<Fault> faults;
  std::string error;
  if (!LoadFaults(path, faults, error)) return false;
  for (std::size_t i = 0; i < faults.size(); ++i) {
    if (faults[i].function != function) continue;
    rv = faults[i].rv;
    if (!faults[i].always) {
      faults.erase(faults.begin() + static_cast<std::ptrdiff_t>(i));
      SaveFaults(path, faults);
    }
    return true;
  }
  return false;
}

}  // namespace vmw
