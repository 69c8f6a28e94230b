#pragma once
// What the token layer takes out of certificates and keys, as plain octets
// and texts. The ASN.1 classes may throw (pointers to CASN1Exception, long
// and int codes); these functions let every exception pass.

#include <string>
#include <vector>

class CCertificate;
class CPKCS12;

typedef std::vector<unsigned char> Octets;

// The serial number INTEGER's content as uppercase hex, leading 00 kept.
std::string SerialText(CCertificate& certificate);
std::string SubjectText(CCertificate& certificate);
std::string IssuerText(CCertificate& certificate);
std::string NotAfterText(CCertificate& certificate);
std::string NotBeforeText(CCertificate& certificate);

// Content octets of the subject and issuer Name SEQUENCEs.
Octets SubjectOctets(CCertificate& certificate);
Octets IssuerOctets(CCertificate& certificate);

// The complete DER encoding.
Octets EncodedCertificate(CCertificate& certificate);

// Content octets of the modulus INTEGER of the certificate's RSA public key.
Octets PublicModulus(CCertificate& certificate);

// The components of the file's private key (a copy taken with getPrivateKey,
// which throws when the file has none), each the content octets of its
// INTEGER as they stand.
struct PrivateKeyComponents {
    Octets modulus, privateExponent, publicExponent, prime1, prime2, exponent1;
    ~PrivateKeyComponents();
};
void ReadPrivateKeyComponents(CPKCS12& pkcs12, PrivateKeyComponents& out);

// Overwrites octets that held secrets before they are released.
void Wipe(Octets& octets);
