// vmw-broadcast: sends one of the middleware's activity messages, as the
// middleware does, to every top-level window or to one window.
#include <windows.h>

#include <cstdio>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kPrefix[] = "WM_QUORIN_MW_ACTIVITY_";
const char* kNames[] = {"IMPORT_START",        "IMPORT_END",
                        "GENERATE_START",      "GENERATE_END",
                        "CERTIFICATE_EXPIRING", "CERTIFICATES_TO_STORE_START",
                        "CERTIFICATES_TO_STORE_END", "NEW_DEVICE"};

int Usage() {
  std::fprintf(stderr,
               "usage: vmw-broadcast NAME [LPARAM] [--send | --window HWND]\n"
               "  NAME: IMPORT_START, IMPORT_END, GENERATE_START, GENERATE_END,\n"
               "        CERTIFICATE_EXPIRING, CERTIFICATES_TO_STORE_START,\n"
               "        CERTIFICATES_TO_STORE_END or NEW_DEVICE, with or without %s\n"
               "  LPARAM: a signed number (the day count of CERTIFICATE_EXPIRING), default 0\n"
               "  default: posted to every top-level window; --send waits for each window\n",
               kPrefix);
  return 1;
}

bool FullName(const std::string& given, std::string& full) {
  std::string suffix = given.compare(0, sizeof kPrefix - 1, kPrefix) == 0 ? given.substr(sizeof kPrefix - 1) : given;
  for (const char* name : kNames) {
    if (suffix == name) {
      full = std::string(kPrefix) + name;
      return true;
    }
  }
  return false;
}

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 0);
  return *text != '\0' && *end == '\0' && errno == 0 && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string name;
  if (!FullName(argv[1], name)) {
    std::fprintf(stderr, "vmw-broadcast: '%s' is not an activity message name\n", argv[1]);
    return Usage();
  }
  long long lParam = 0, window = 0;
  bool send = false, haveLParam = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--send") == 0) {
      send = true;
    } else if (std::strcmp(argv[i], "--window") == 0 && i + 1 < argc) {
      if (!ParseNumber(argv[++i], 1, LLONG_MAX, window)) {
        std::fprintf(stderr, "vmw-broadcast: '%s' is not a window handle\n", argv[i]);
        return 1;
      }
    } else if (!haveLParam && ParseNumber(argv[i], INT_MIN, INT_MAX, lParam)) {
      haveLParam = true;
    } else {
      std::fprintf(stderr, "vmw-broadcast: unexpected argument '%s'\n", argv[i]);
      return Usage();
    }
  }
  const UINT message = RegisterWindowMessageA(name.c_str());
  if (message == 0) {
    std::fprintf(stderr, "vmw-broadcast: RegisterWindowMessageA failed: %lu\n", GetLastError());
    return 2;
  }
  HWND target = window ? reinterpret_cast<HWND>(static_cast<INT_PTR>(window)) : HWND_BROADCAST;
  const LPARAM value = static_cast<LPARAM>(lParam);
  BOOL ok = send ? SendMessageTimeoutA(target, message, 0, value, SMTO_ABORTIFHUNG, 2000, nullptr) != 0
                 : PostMessageA(target, message, 0, value);
  if (!ok) {
    std::fprintf(stderr, "vmw-broadcast: sending %s failed: %lu\n", name.c_str(), GetLastError());
    return 2;
  }
  std::printf("%s (0x%04X) lParam %lld\n", name.c_str(), message, lParam);
  return 0;
}
