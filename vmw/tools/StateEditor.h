// Changes to the state folder that the tool offers: readers, cards, objects,
// faults and the service. Each operation returns false with a message for the
// user when it refuses or fails; nothing is changed then.
#ifndef QUORIN_VMW_TOOLS_STATE_EDITOR_H
#define QUORIN_VMW_TOOLS_STATE_EDITOR_H

#include "vmw/state/StateFolder.h"
#include "vmw/state/TokenState.h"
#include "vmw/tools/Der.h"

#include <string>

namespace vmw {

struct CardDetails {
  std::string label = "Virtual Token";
  std::string serial;  // required
  std::string manufacturer = "Quorin";
  std::string model = "Virtual Card";
  std::string pin = "1234";
  std::string puk = "12345678";
};

struct ObjectNaming {
  bool hasLabel = false;
  Bytes label;
  bool hasId = false;
  Bytes id;
};

class StateEditor {
 public:
  explicit StateEditor(StateFolder state) : state_(std::move(state)) {}
  const std::string& Error() const { return error_; }
  const StateFolder& State() const { return state_; }

  bool Init();
  bool AddReader(const std::string& reader);
  bool RemoveReader(const std::string& reader);  // a card inside goes to the shelf
  bool CreateCard(const std::string& reader, const CardDetails& details);
  bool RemoveCard(const std::string& reader);                            // to the shelf
  bool InsertCard(const std::string& reader, const std::string& serial);  // from the shelf
  bool SetService(bool running);

  bool LoadCard(const std::string& reader, TokenState& token);
  bool SaveCard(const std::string& reader, const TokenState& token);

  // Objects as a card holds them; label and identifier default to the
  // certificate's serial number as uppercase hex text. Returns the new object id.
  bool PutCertificate(const std::string& reader, const Bytes& der, bool authority,
                      const ObjectNaming& naming, unsigned long& id);
  bool PutPrivateKey(const std::string& reader, const Bytes& der, const Bytes* certificateDer,
                     bool withPublicKey, const ObjectNaming& naming, unsigned long& id);
  bool SetUndeletable(const std::string& reader, unsigned long id, bool undeletable);

  bool SetFault(const std::string& function, unsigned long rv, bool always);
  bool ClearFaults(const std::string& function);  // empty: all

  std::string Describe();

 private:
  bool Fail(const std::string& message);
  bool RequireReader(const std::string& reader);
  bool RequireCard(const std::string& reader);

  StateFolder state_;
  std::string error_;
};

}  // namespace vmw

#endif
