#include "vmw/state/DurableFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <cstdlib>
#  include <fcntl.h>
#  include <unistd.h>
#endif

namespace vmw {

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  content = buffer.str();
  return true;
}

#if defined(_WIN32)

bool WriteFileDurably(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".new";
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size() && FlushFileBuffers(file);
  CloseHandle(file);
  if (ok) ok = MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

std::string EnvironmentValue(const char* name) {
  char buffer[4096];
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return std::string(buffer, length);
}

#else

namespace {

bool WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void SyncFolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool WriteFileDurably(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".new";
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

#endif

}  // namespace vmw
