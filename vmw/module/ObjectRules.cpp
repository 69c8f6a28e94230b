#include "vmw/module/ObjectRules.h"

#include "vmw/state/AttributeTable.h"

#include <cstring>
#include <set>

namespace vmw {

namespace {

const CK_ATTRIBUTE_TYPE kBooleanTypes[] = {
    CKA_TOKEN, CKA_PRIVATE, CKA_MODIFIABLE, CKA_TRUSTED, CKA_SENSITIVE, CKA_EXTRACTABLE,
    CKA_ENCRYPT, CKA_DECRYPT, CKA_WRAP, CKA_UNWRAP, CKA_SIGN, CKA_SIGN_RECOVER, CKA_VERIFY,
    CKA_VERIFY_RECOVER, CKA_DERIVE, CKA_LOCAL, CKA_ALWAYS_SENSITIVE, CKA_NEVER_EXTRACTABLE,
    CKA_ALWAYS_AUTHENTICATE, CKA_WRAP_WITH_TRUSTED};

// Fixed once the object exists.
const CK_ATTRIBUTE_TYPE kReadOnlyTypes[] = {
    CKA_CLASS, CKA_TOKEN, CKA_KEY_TYPE, CKA_CERTIFICATE_TYPE, CKA_LOCAL, CKA_ALWAYS_SENSITIVE,
    CKA_NEVER_EXTRACTABLE, CKA_MODIFIABLE};

template <std::size_t N>
bool Contains(const CK_ATTRIBUTE_TYPE (&types)[N], CK_ATTRIBUTE_TYPE type) {
  for (CK_ATTRIBUTE_TYPE t : types) {
    if (t == type) return true;
  }
  return false;
}

CK_RV CheckValue(const CK_ATTRIBUTE& attribute) {
  if (attribute.pValue == nullptr && attribute.ulValueLen != 0) return CKR_ATTRIBUTE_VALUE_INVALID;
  if (KindOf(attribute.type) == AttributeKind::Number && attribute.ulValueLen != sizeof(CK_ULONG))
    return CKR_ATTRIBUTE_VALUE_INVALID;
  if (Contains(kBooleanTypes, attribute.type) && attribute.ulValueLen != sizeof(CK_BBOOL))
    return CKR_ATTRIBUTE_VALUE_INVALID;
  return CKR_OK;
}

CK_RV CheckTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count) {
  if (attributes == nullptr && count != 0) return CKR_ARGUMENTS_BAD;
  std::set<CK_ATTRIBUTE_TYPE> seen;
  for (CK_ULONG i = 0; i < count; ++i) {
    if (!seen.insert(attributes[i].type).second) return CKR_TEMPLATE_INCONSISTENT;
    CK_RV rv = CheckValue(attributes[i]);
    if (rv != CKR_OK) return rv;
  }
  return CKR_OK;
}

void Store(const CK_ATTRIBUTE& attribute, ObjectRecord& object) {
  if (KindOf(attribute.type) == AttributeKind::Number) {
    CK_ULONG number = 0;
    std::memcpy(&number, attribute.pValue, sizeof number);
    object.SetNumber(attribute.type, number);
    return;
  }
  const unsigned char* begin = static_cast<const unsigned char*>(attribute.pValue);
  object.SetOctets(attribute.type, begin ? Bytes(begin, begin + attribute.ulValueLen) : Bytes());
}

void Default(ObjectRecord& object, CK_ATTRIBUTE_TYPE type, bool value) {
  if (!object.Find(type)) object.SetBool(type, value);
}

void DefaultNumber(ObjectRecord& object, CK_ATTRIBUTE_TYPE type, CK_ULONG value) {
  if (!object.Find(type)) object.SetNumber(type, value);
}

void DefaultOctets(ObjectRecord& object, CK_ATTRIBUTE_TYPE type) {
  if (!object.Find(type)) object.SetOctets(type, Bytes());
}

void AddKeyDefaults(ObjectRecord& object, CK_OBJECT_CLASS objectClass) {
  DefaultNumber(object, CKA_KEY_TYPE, CKK_RSA);
  DefaultOctets(object, CKA_ID);
  Default(object, CKA_LOCAL, false);
  Default(object, CKA_DERIVE, false);
  if (objectClass == CKO_PUBLIC_KEY) {
    for (CK_ATTRIBUTE_TYPE type : {CKA_ENCRYPT, CKA_VERIFY, CKA_VERIFY_RECOVER, CKA_WRAP})
      Default(object, type, false);
    DefaultOctets(object, CKA_SUBJECT);
    return;
  }
  for (CK_ATTRIBUTE_TYPE type : {CKA_DECRYPT, CKA_SIGN, CKA_SIGN_RECOVER, CKA_UNWRAP})
    Default(object, type, false);
  Default(object, CKA_SENSITIVE, true);
  Default(object, CKA_ALWAYS_AUTHENTICATE, false);
  Default(object, CKA_EXTRACTABLE, false);
  Default(object, CKA_ALWAYS_SENSITIVE, object.IsTrue(CKA_SENSITIVE));
  Default(object, CKA_NEVER_EXTRACTABLE, !object.IsTrue(CKA_EXTRACTABLE));
  DefaultOctets(object, CKA_SUBJECT);
}

void AddDefaults(ObjectRecord& object) {
  const CK_OBJECT_CLASS objectClass = static_cast<CK_OBJECT_CLASS>(object.NumberOr(CKA_CLASS, 0));
  const bool secretByNature = objectClass == CKO_PRIVATE_KEY || objectClass == CKO_SECRET_KEY;
  Default(object, CKA_TOKEN, false);
  Default(object, CKA_PRIVATE, secretByNature);
  Default(object, CKA_MODIFIABLE, true);
  DefaultOctets(object, CKA_LABEL);
  switch (objectClass) {
    case CKO_CERTIFICATE:
      DefaultNumber(object, CKA_CERTIFICATE_TYPE, CKC_X_509);
      DefaultNumber(object, CKA_CERTIFICATE_CATEGORY, 0);
      Default(object, CKA_TRUSTED, false);
      DefaultOctets(object, CKA_ID);
      break;
    case CKO_PUBLIC_KEY:
    case CKO_PRIVATE_KEY:
      AddKeyDefaults(object, objectClass);
      break;
    default:
      break;
  }
}

bool IsHidden(const ObjectRecord& object, CK_ATTRIBUTE_TYPE type) {
  const AttributeInfo* info = FindAttribute(type);
  if (!info || !info->secretOfPrivateKey) return false;
  if (object.NumberOr(CKA_CLASS, CKO_DATA) != CKO_PRIVATE_KEY) return false;
  return object.IsTrue(CKA_SENSITIVE) || !object.IsTrue(CKA_EXTRACTABLE);
}

Bytes ValueOf(const AttributeValue& value) {
  if (!value.isNumber) return value.octets;
  CK_ULONG number = static_cast<CK_ULONG>(value.number);
  const unsigned char* begin = reinterpret_cast<const unsigned char*>(&number);
  return Bytes(begin, begin + sizeof number);
}

}  // namespace

CK_RV ObjectFromTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count, ObjectRecord& object) {
  CK_RV rv = CheckTemplate(attributes, count);
  if (rv != CKR_OK) return rv;
  ObjectRecord created;
  for (CK_ULONG i = 0; i < count; ++i) Store(attributes[i], created);
  if (!created.Find(CKA_CLASS)) return CKR_TEMPLATE_INCOMPLETE;
  AddDefaults(created);
  object = std::move(created);
  return CKR_OK;
}

CK_RV ApplyTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count, ObjectRecord& object) {
  CK_RV rv = CheckTemplate(attributes, count);
  if (rv != CKR_OK) return rv;
  const bool modifiable = !object.Find(CKA_MODIFIABLE) || object.IsTrue(CKA_MODIFIABLE);
  for (CK_ULONG i = 0; i < count; ++i) {
    if (!modifiable || Contains(kReadOnlyTypes, attributes[i].type)) return CKR_ATTRIBUTE_READ_ONLY;
  }
  for (CK_ULONG i = 0; i < count; ++i) Store(attributes[i], object);
  return CKR_OK;
}

CK_RV CheckSearchTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count) {
  if (attributes == nullptr && count != 0) return CKR_ARGUMENTS_BAD;
  for (CK_ULONG i = 0; i < count; ++i) {
    if (attributes[i].pValue == nullptr && attributes[i].ulValueLen != 0) return CKR_ARGUMENTS_BAD;
  }
  return CKR_OK;
}

bool Matches(const ObjectRecord& object, const CK_ATTRIBUTE* attributes, CK_ULONG count) {
  for (CK_ULONG i = 0; i < count; ++i) {
    const AttributeValue* value = object.Find(attributes[i].type);
    if (!value || IsHidden(object, attributes[i].type)) return false;
    Bytes stored = ValueOf(*value);
    if (stored.size() != attributes[i].ulValueLen) return false;
    if (!stored.empty() && std::memcmp(stored.data(), attributes[i].pValue, stored.size()) != 0)
      return false;
  }
  return true;
}

CK_RV ReadAttributes(const ObjectRecord& object, CK_ATTRIBUTE* attributes, CK_ULONG count) {
  if (attributes == nullptr && count != 0) return CKR_ARGUMENTS_BAD;
  CK_RV result = CKR_OK;
  for (CK_ULONG i = 0; i < count; ++i) {
    CK_ATTRIBUTE& attribute = attributes[i];
    const AttributeValue* value = object.Find(attribute.type);
    if (!value || IsHidden(object, attribute.type)) {
      attribute.ulValueLen = CK_UNAVAILABLE_INFORMATION;
      result = value ? CKR_ATTRIBUTE_SENSITIVE : CKR_ATTRIBUTE_TYPE_INVALID;
      continue;
    }
    Bytes bytes = ValueOf(*value);
    if (attribute.pValue == nullptr) {
      attribute.ulValueLen = static_cast<CK_ULONG>(bytes.size());
    } else if (attribute.ulValueLen >= bytes.size()) {
      if (!bytes.empty()) std::memcpy(attribute.pValue, bytes.data(), bytes.size());
      attribute.ulValueLen = static_cast<CK_ULONG>(bytes.size());
    } else {
      attribute.ulValueLen = CK_UNAVAILABLE_INFORMATION;
      result = CKR_BUFFER_TOO_SMALL;
    }
  }
  return result;
}

bool IsPrivateObject(const ObjectRecord& object) { return object.IsTrue(CKA_PRIVATE); }

bool IsTokenObject(const ObjectRecord& object) { return object.IsTrue(CKA_TOKEN); }

}  // namespace vmw
