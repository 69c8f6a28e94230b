// Whole-file reads and crash-safe writes: a new file renamed over the old one.
#ifndef QUORIN_VMW_STATE_DURABLE_FILE_H
#define QUORIN_VMW_STATE_DURABLE_FILE_H

#include <string>

namespace vmw {

bool ReadWholeFile(const std::string& path, std::string& content);
// Writes "<path>.new", flushes it to the disk and renames it over path.
bool WriteFileDurably(const std::string& path, const std::string& content);
// The value of an environment variable as the process sees it now; empty when unset.
std::string EnvironmentValue(const char* name);

}  // namespace vmw

#endif
