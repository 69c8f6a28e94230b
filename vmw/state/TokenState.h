// One virtual card: its token fields, secrets with their retry counters, and
// its objects. Held in a text file in the reader's folder (TokenFile).
#ifndef QUORIN_VMW_STATE_TOKEN_STATE_H
#define QUORIN_VMW_STATE_TOKEN_STATE_H

#include "vmw/state/Bytes.h"

#include <map>
#include <string>
#include <vector>

namespace vmw {

struct AttributeValue {
  bool isNumber = false;
  unsigned long long number = 0;  // for number attributes
  Bytes octets;                   // for all others
};

struct ObjectRecord {
  unsigned long id = 0;          // the object's handle, stable for the card's life
  bool undeletable = false;      // C_DestroyObject fails with CKR_ACTION_PROHIBITED
  std::map<unsigned long, AttributeValue> attributes;

  const AttributeValue* Find(unsigned long type) const;
  // True when the attribute is the one-octet CK_TRUE.
  bool IsTrue(unsigned long type) const;
  unsigned long long NumberOr(unsigned long type, unsigned long long fallback) const;
  void SetOctets(unsigned long type, const Bytes& value);
  void SetNumber(unsigned long type, unsigned long long value);
  void SetBool(unsigned long type, bool value);
};

struct Secret {
  Bytes value;
  int triesLeft = 3;
};

struct TokenState {
  static constexpr int kMaxTries = 3;
  static constexpr std::size_t kMinPinLength = 4;
  static constexpr std::size_t kMaxPinLength = 16;

  Bytes label;
  Bytes manufacturer;
  Bytes model;
  Bytes serial;
  unsigned long insertion = 1;  // changes whenever the card is inserted again
  Secret pin;                   // the user's PIN
  Secret puk;                   // the security officer's PIN
  bool userPinInitialized = true;
  bool pinToBeChanged = false;
  bool pukToBeChanged = false;
  unsigned long nextObjectId = 1;
  std::vector<ObjectRecord> objects;

  ObjectRecord* FindObject(unsigned long id);
  ObjectRecord& AddObject();  // with the next free id
  bool RemoveObject(unsigned long id);
};

}  // namespace vmw

#endif
