#include "vmw/state/StateFolder.h"

#include "vmw/state/DurableFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vmw {

namespace fs = std::filesystem;

namespace {

bool IsFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(fs::u8path(path), error);
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(fs::u8path(path), error);
}

}  // namespace

StateFolder::StateFolder(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && (root_.back() == '/' || root_.back() == '\\')) root_.pop_back();
}

StateFolder StateFolder::FromEnvironment() {
  std::string root = EnvironmentValue(kEnvironmentVariable);
  return StateFolder(root.empty() ? DefaultRoot() : root);
}

std::string StateFolder::DefaultRoot() {
#if defined(_WIN32)
  std::string base = EnvironmentValue("ProgramData");
  return (base.empty() ? std::string("C:") : base) + "\\quorin-vmw";
#else
  std::string home = EnvironmentValue("HOME");
  return home.empty() ? std::string("/tmp/quorin-vmw") : home + "/.quorin-vmw";
#endif
}

bool StateFolder::Exists() const { return IsFolder(root_); }

bool StateFolder::ServiceRunning() const { return Exists() && !IsFile(ServiceStopMarker()); }

std::string StateFolder::ServiceStopMarker() const { return root_ + "/service-stopped"; }

std::vector<std::string> StateFolder::ReaderNames() const {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(fs::u8path(root_ + "/readers"), error);
  if (error) return names;
  for (const fs::directory_entry& entry : it) {
    std::error_code kindError;
    if (!entry.is_directory(kindError)) continue;
    names.push_back(entry.path().filename().u8string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool StateFolder::HasReader(const std::string& reader) const {
  return IsValidName(reader, 200) && IsFolder(ReaderFolder(reader));
}

std::string StateFolder::ReaderFolder(const std::string& reader) const {
  return root_ + "/readers/" + reader;
}

std::string StateFolder::TokenFile(const std::string& reader) const {
  return ReaderFolder(reader) + "/token.txt";
}

bool StateFolder::CardPresent(const std::string& reader) const {
  return HasReader(reader) && IsFile(TokenFile(reader));
}

std::string StateFolder::ShelfFolder() const { return root_ + "/shelf"; }

std::string StateFolder::ShelfFile(const std::string& serial) const {
  return ShelfFolder() + "/" + serial + ".txt";
}

std::string StateFolder::FaultsFile() const { return root_ + "/faults.txt"; }

bool StateFolder::IsValidName(const std::string& name, std::size_t maxLength) {
  if (name.empty() || name.size() > maxLength) return false;
  if (name.front() == ' ' || name.back() == ' ' || name.back() == '.') return false;
  if (name == "." || name == "..") return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F) return false;
    if (std::string("/\\:*?\"<>|").find(c) != std::string::npos) return false;
  }
  return true;
}

}  // namespace vmw
