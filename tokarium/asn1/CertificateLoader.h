#pragma once
// Certificate files: DER, or Base64 text with or without PEM lines.

#include "tokarium/asn1/Certificate.h"

enum { NOT_A_CERTIFICATE_FILE = -6 };

// A new certificate owned by the caller. Throws the int -6 when the file is
// a certificate in neither form, the ASN.1 exceptions when its DER is malformed.
CCertificate* loadCertificate(const CByteArray& file);
