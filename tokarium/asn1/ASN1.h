#pragma once
// Everything of the ASN.1 and certificate model in one include.

#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/ASN1Object.h"
#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1Primitive.h"
#include "tokarium/asn1/ASN1ObjectIdentifier.h"
#include "tokarium/asn1/ASN1AlgorithmIdentifier.h"
#include "tokarium/asn1/Name.h"
#include "tokarium/asn1/PublicKey.h"
#include "tokarium/asn1/TBSCertificate.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/asn1/Base64.h"
#include "tokarium/asn1/CertificateLoader.h"
