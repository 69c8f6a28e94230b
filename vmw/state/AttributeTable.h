// What the virtual token knows about each attribute type: its name in the
// token file and how its value is held.
#ifndef QUORIN_VMW_STATE_ATTRIBUTE_TABLE_H
#define QUORIN_VMW_STATE_ATTRIBUTE_TABLE_H

#include <string>

namespace vmw {

enum class AttributeKind {
  Octets,  // any octets; the file shows them as hex or, for text attributes, quoted
  Text,    // octets that the file shows quoted
  Number,  // one CK_ULONG, kept as a number so that 32- and 64-bit readers agree
};

struct AttributeInfo {
  unsigned long type;
  const char* name;
  AttributeKind kind;
  bool secretOfPrivateKey;  // hidden when the key is sensitive
};

// The entry of a known type, or null.
const AttributeInfo* FindAttribute(unsigned long type);
const AttributeInfo* FindAttribute(const std::string& name);
AttributeKind KindOf(unsigned long type);
// "CKA_LABEL" for known types, "0x80000001" for the rest.
std::string AttributeName(unsigned long type);
// Reads either form; false when neither fits.
bool ParseAttributeName(const std::string& text, unsigned long& type);

}  // namespace vmw

#endif
