// The folder that holds the virtual readers and their cards.
//
//   <root>/readers/<reader name>/          a reader
//   <root>/readers/<reader name>/token.txt the card in it (absent: reader empty)
//   <root>/shelf/<serial>.txt              cards taken out of their readers
//   <root>/faults.txt                      calls of the module that are to fail
//   <root>/service-stopped                 the smart-card service is not running
//
// The root comes from QUORIN_VMW_STATE; without it a per-user default is used.
#ifndef QUORIN_VMW_STATE_STATE_FOLDER_H
#define QUORIN_VMW_STATE_STATE_FOLDER_H

#include <string>
#include <vector>

namespace vmw {

class StateFolder {
 public:
  static constexpr const char* kEnvironmentVariable = "QUORIN_VMW_STATE";

  explicit StateFolder(std::string root);
  static StateFolder FromEnvironment();
  static std::string DefaultRoot();

  const std::string& Root() const { return root_; }
  bool Exists() const;
  bool ServiceRunning() const;  // the folder exists and holds no stop marker
  std::string ServiceStopMarker() const;

  // Reader names in byte-wise order.
  std::vector<std::string> ReaderNames() const;
  bool HasReader(const std::string& reader) const;
  std::string ReaderFolder(const std::string& reader) const;
  std::string TokenFile(const std::string& reader) const;
  bool CardPresent(const std::string& reader) const;

  std::string ShelfFolder() const;
  std::string ShelfFile(const std::string& serial) const;
  std::string FaultsFile() const;

  // Names usable as folder names on every platform: printable ASCII, no
  // path or reserved characters, no leading or trailing blank.
  static bool IsValidName(const std::string& name, std::size_t maxLength);

 private:
  std::string root_;
};

}  // namespace vmw

#endif
