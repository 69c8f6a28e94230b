// How templates become objects and how objects answer templates: defaults,
// value checks, visibility, matching and attribute reads.
#ifndef QUORIN_VMW_MODULE_OBJECT_RULES_H
#define QUORIN_VMW_MODULE_OBJECT_RULES_H

#include "platform/cryptoki/cryptoki.h"
#include "vmw/state/TokenState.h"

namespace vmw {

// Reads a creation template into `object` (no id yet) and adds the defaults
// of its class. CKR_TEMPLATE_INCOMPLETE without CKA_CLASS.
CK_RV ObjectFromTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count, ObjectRecord& object);

// Checks a C_SetAttributeValue template against the object and applies it
// only when every attribute may be set.
CK_RV ApplyTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count, ObjectRecord& object);

// Validates a search template (values present, numbers of the right size).
CK_RV CheckSearchTemplate(const CK_ATTRIBUTE* attributes, CK_ULONG count);
bool Matches(const ObjectRecord& object, const CK_ATTRIBUTE* attributes, CK_ULONG count);

// Fills a C_GetAttributeValue template following the standard's rules for
// length queries, unknown and sensitive attributes and short buffers.
CK_RV ReadAttributes(const ObjectRecord& object, CK_ATTRIBUTE* attributes, CK_ULONG count);

bool IsPrivateObject(const ObjectRecord& object);
bool IsTokenObject(const ObjectRecord& object);

}  // namespace vmw

#endif
