#include "vmw/state/AttributeTable.h"

#include "platform/cryptoki/cryptoki.h"

#include <cstdio>
#include <cstdlib>

namespace vmw {

namespace {

const AttributeInfo kAttributes[] = {
    {CKA_CLASS, "CKA_CLASS", AttributeKind::Number, false},
    {CKA_TOKEN, "CKA_TOKEN", AttributeKind::Octets, false},
    {CKA_PRIVATE, "CKA_PRIVATE", AttributeKind::Octets, false},
    {CKA_LABEL, "CKA_LABEL", AttributeKind::Text, false},
    {CKA_APPLICATION, "CKA_APPLICATION", AttributeKind::Text, false},
    {CKA_VALUE, "CKA_VALUE", AttributeKind::Octets, false},
    {CKA_OBJECT_ID, "CKA_OBJECT_ID", AttributeKind::Octets, false},
    {CKA_CERTIFICATE_TYPE, "CKA_CERTIFICATE_TYPE", AttributeKind::Number, false},
    {CKA_ISSUER, "CKA_ISSUER", AttributeKind::Octets, false},
    {CKA_SERIAL_NUMBER, "CKA_SERIAL_NUMBER", AttributeKind::Octets, false},
    {CKA_TRUSTED, "CKA_TRUSTED", AttributeKind::Octets, false},
    {CKA_CERTIFICATE_CATEGORY, "CKA_CERTIFICATE_CATEGORY", AttributeKind::Number, false},
    {CKA_JAVA_MIDP_SECURITY_DOMAIN, "CKA_JAVA_MIDP_SECURITY_DOMAIN", AttributeKind::Number, false},
    {CKA_URL, "CKA_URL", AttributeKind::Text, false},
    {CKA_CHECK_VALUE, "CKA_CHECK_VALUE", AttributeKind::Octets, false},
    {CKA_KEY_TYPE, "CKA_KEY_TYPE", AttributeKind::Number, false},
    {CKA_SUBJECT, "CKA_SUBJECT", AttributeKind::Octets, false},
    {CKA_ID, "CKA_ID", AttributeKind::Octets, false},
    {CKA_SENSITIVE, "CKA_SENSITIVE", AttributeKind::Octets, false},
    {CKA_ENCRYPT, "CKA_ENCRYPT", AttributeKind::Octets, false},
    {CKA_DECRYPT, "CKA_DECRYPT", AttributeKind::Octets, false},
    {CKA_WRAP, "CKA_WRAP", AttributeKind::Octets, false},
    {CKA_UNWRAP, "CKA_UNWRAP", AttributeKind::Octets, false},
    {CKA_SIGN, "CKA_SIGN", AttributeKind::Octets, false},
    {CKA_SIGN_RECOVER, "CKA_SIGN_RECOVER", AttributeKind::Octets, false},
    {CKA_VERIFY, "CKA_VERIFY", AttributeKind::Octets, false},
    {CKA_VERIFY_RECOVER, "CKA_VERIFY_RECOVER", AttributeKind::Octets, false},
    {CKA_DERIVE, "CKA_DERIVE", AttributeKind::Octets, false},
    {CKA_START_DATE, "CKA_START_DATE", AttributeKind::Octets, false},
    {CKA_END_DATE, "CKA_END_DATE", AttributeKind::Octets, false},
    {CKA_MODULUS, "CKA_MODULUS", AttributeKind::Octets, false},
    {CKA_MODULUS_BITS, "CKA_MODULUS_BITS", AttributeKind::Number, false},
    {CKA_PUBLIC_EXPONENT, "CKA_PUBLIC_EXPONENT", AttributeKind::Octets, false},
    {CKA_PRIVATE_EXPONENT, "CKA_PRIVATE_EXPONENT", AttributeKind::Octets, true},
    {CKA_PRIME_1, "CKA_PRIME_1", AttributeKind::Octets, true},
    {CKA_PRIME_2, "CKA_PRIME_2", AttributeKind::Octets, true},
    {CKA_EXPONENT_1, "CKA_EXPONENT_1", AttributeKind::Octets, true},
    {CKA_EXPONENT_2, "CKA_EXPONENT_2", AttributeKind::Octets, true},
    {CKA_COEFFICIENT, "CKA_COEFFICIENT", AttributeKind::Octets, true},
    {CKA_PRIME_BITS, "CKA_PRIME_BITS", AttributeKind::Number, false},
    {CKA_SUBPRIME_BITS, "CKA_SUBPRIME_BITS", AttributeKind::Number, false},
    {CKA_VALUE_BITS, "CKA_VALUE_BITS", AttributeKind::Number, false},
    {CKA_VALUE_LEN, "CKA_VALUE_LEN", AttributeKind::Number, false},
    {CKA_EXTRACTABLE, "CKA_EXTRACTABLE", AttributeKind::Octets, false},
    {CKA_LOCAL, "CKA_LOCAL", AttributeKind::Octets, false},
    {CKA_NEVER_EXTRACTABLE, "CKA_NEVER_EXTRACTABLE", AttributeKind::Octets, false},
    {CKA_ALWAYS_SENSITIVE, "CKA_ALWAYS_SENSITIVE", AttributeKind::Octets, false},
    {CKA_KEY_GEN_MECHANISM, "CKA_KEY_GEN_MECHANISM", AttributeKind::Number, false},
    {CKA_MODIFIABLE, "CKA_MODIFIABLE", AttributeKind::Octets, false},
    {CKA_EC_PARAMS, "CKA_EC_PARAMS", AttributeKind::Octets, false},
    {CKA_EC_POINT, "CKA_EC_POINT", AttributeKind::Octets, false},
    {CKA_ALWAYS_AUTHENTICATE, "CKA_ALWAYS_AUTHENTICATE", AttributeKind::Octets, false},
    {CKA_WRAP_WITH_TRUSTED, "CKA_WRAP_WITH_TRUSTED", AttributeKind::Octets, false},
    {CKA_HW_FEATURE_TYPE, "CKA_HW_FEATURE_TYPE", AttributeKind::Number, false},
};

}  // namespace

const AttributeInfo* FindAttribute(unsigned long type) {
  for (const AttributeInfo& info : kAttributes) {
    if (info.type == type) return &info;
  }
  return nullptr;
}

const AttributeInfo* FindAttribute(const std::string& name) {
  for (const AttributeInfo& info : kAttributes) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

AttributeKind KindOf(unsigned long type) {
  const AttributeInfo* info = FindAttribute(type);
  return info ? info->kind : AttributeKind::Octets;
}

std::string AttributeName(unsigned long type) {
  if (const AttributeInfo* info = FindAttribute(type)) return info->name;
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", type);
  return text;
}

bool ParseAttributeName(const std::string& text, unsigned long& type) {
  if (const AttributeInfo* info = FindAttribute(text)) {
    type = info->type;
    return true;
  }
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return false;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str() + 2, &end, 16);
  if (*end != '\0' || value > 0xFFFFFFFFull) return false;
  type = static_cast<unsigned long>(value);
  return true;
}

}  // namespace vmw
