// asn1_benchmark [ROUNDS [DER_FILE PEM_FILE]]
// Reads one certificate ROUNDS times the way the listing and the details panel
// do (serial, issuer, subject, common name, validity, modulus, exponent, CA
// test) and loads it from PEM, with our classes and with OpenSSL, and prints
// both times and their ratio. The two must agree on every field; times are
// only printed.

#include "tokarium/asn1/ASN1.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

struct Fields {
    std::string serial, issuer, subject, commonName, notBefore, notAfter, modulus;
    unsigned long exponent = 0;
    bool isCA = false;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "cannot read %s\n", path.c_str());
        exit(2);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(const CByteArray& octets) { return std::string(reinterpret_cast<const char*>(octets.getData()), octets.getSize()); }

// --- ours -------------------------------------------------------------------

std::string TimeText(const CASN1UTCTime& time)
{
    char text[64];
    return std::string(text, time.getText(text, sizeof text));
}

std::string NameText(const CName& name)
{
    CByteArray out;
    name.getNameAsString(out);
    return reinterpret_cast<const char*>(out.getData());
}

Fields OurFields(const CCertificate& certificate)
{
    Fields f;
    CTBSCertificate tbs = certificate.getTBSCertificate();
    CByteArray serial(tbs.getSerialNumber().getContent());
    f.serial = serial.toHexString();
    f.issuer = NameText(tbs.getIssuer());
    CName subject = tbs.getSubject();
    f.subject = NameText(subject);
    f.commonName = subject.getAttribute("2.5.4.3");
    f.notBefore = TimeText(tbs.getNotBefore());
    f.notAfter = TimeText(tbs.getNotAfter());
    CASN1BitString key = tbs.getSubjectPublicKeyInfo().getPublicKey();
    key.getContent().removeAt(0);
    CByteStream stream(key.getContent());
    CRSAPublicKey rsa(stream);
    CByteArray modulus(rsa.getModulus().getContent());
    // OpenSSL prints the number, without the sign octet.
    f.modulus = modulus.toHexString();
    if (f.modulus.compare(0, 2, "00") == 0)
        f.modulus.erase(0, 2);
    f.exponent = rsa.getPublicExponent().getValue();
    f.isCA = certificate.isCACertificate();
    return f;
}

Fields OursFromDer(const std::string& der)
{
    CCertificate certificate(reinterpret_cast<const unsigned char*>(der.data()), static_cast<uint32_t>(der.size()));
    return OurFields(certificate);
}

Fields OursFromPem(const std::string& pem)
{
    CByteArray file(reinterpret_cast<const unsigned char*>(pem.data()), static_cast<uint32_t>(pem.size()));
    std::unique_ptr<CCertificate> certificate(loadCertificate(file));
    return OurFields(*certificate);
}

// --- OpenSSL ----------------------------------------------------------------

std::string BigHex(const BIGNUM* n)
{
    char* hex = BN_bn2hex(n);
    std::string text(hex);
    OPENSSL_free(hex);
    return text;
}

std::string NameLine(const X509_NAME* name)
{
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_SEP_COMMA_PLUS);
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<size_t>(length));
    BIO_free(bio);
    return text;
}

std::string TimeOf(const ASN1_TIME* time)
{
    return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(time)), ASN1_STRING_length(time));
}

Fields TheirFields(X509* x)
{
    Fields f;
    const ASN1_INTEGER* serial = X509_get0_serialNumber(x);
    BIGNUM* serialNumber = ASN1_INTEGER_to_BN(serial, nullptr);
    f.serial = BigHex(serialNumber);
    BN_free(serialNumber);
    f.issuer = NameLine(X509_get_issuer_name(x));
    f.subject = NameLine(X509_get_subject_name(x));
    const X509_NAME* subject = X509_get_subject_name(x);
    int at = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (at >= 0) {
        const ASN1_STRING* cn = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at));
        f.commonName.assign(reinterpret_cast<const char*>(ASN1_STRING_get0_data(cn)), ASN1_STRING_length(cn));
    }
    f.notBefore = TimeOf(X509_get0_notBefore(x));
    f.notAfter = TimeOf(X509_get0_notAfter(x));
    EVP_PKEY* key = X509_get0_pubkey(x);
    BIGNUM* n = nullptr;
    BIGNUM* e = nullptr;
    EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_N, &n);
    EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_E, &e);
    f.modulus = BigHex(n);
    f.exponent = BN_get_word(e);
    BN_free(n);
    BN_free(e);
    BASIC_CONSTRAINTS* constraints =
        static_cast<BASIC_CONSTRAINTS*>(X509_get_ext_d2i(x, NID_basic_constraints, nullptr, nullptr));
    f.isCA = constraints && constraints->ca;
    BASIC_CONSTRAINTS_free(constraints);
    return f;
}

Fields TheirsFromDer(const std::string& der)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
    X509* x = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    if (!x) {
        fprintf(stderr, "OpenSSL cannot read the certificate\n");
        exit(2);
    }
    Fields f = TheirFields(x);
    X509_free(x);
    return f;
}

Fields TheirsFromPem(const std::string& pem)
{
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* x = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    if (!x) {
        fprintf(stderr, "OpenSSL cannot read the PEM file\n");
        exit(2);
    }
    Fields f = TheirFields(x);
    X509_free(x);
    return f;
}

// --- the run ----------------------------------------------------------------

template <class F>
double MicrosecondsPerRound(long rounds, F&& work)
{
    auto start = std::chrono::steady_clock::now();
    size_t sink = 0;
    for (long i = 0; i < rounds; ++i)
        sink += work().serial.size();
    auto elapsed = std::chrono::steady_clock::now() - start;
    if (sink == 0)
        fprintf(stderr, "no serial read\n");
    return std::chrono::duration<double, std::micro>(elapsed).count() / static_cast<double>(rounds);
}

// Our names use their own labels (ON for O, E for emailAddress); compare the rest.
bool Agree(const Fields& ours, const Fields& theirs)
{
    bool same = true;
    auto check = [&](const char* what, const std::string& a, const std::string& b) {
        if (a != b) {
            fprintf(stderr, "%s differs: ours \"%s\", OpenSSL \"%s\"\n", what, a.c_str(), b.c_str());
            same = false;
        }
    };
    check("serial", ours.serial.substr(ours.serial.compare(0, 2, "00") == 0 ? 2 : 0), theirs.serial);
    check("common name", ours.commonName, theirs.commonName);
    check("notBefore", ours.notBefore, theirs.notBefore);
    check("notAfter", ours.notAfter, theirs.notAfter);
    check("modulus", ours.modulus, theirs.modulus);
    check("exponent", std::to_string(ours.exponent), std::to_string(theirs.exponent));
    check("CA", ours.isCA ? "yes" : "no", theirs.isCA ? "yes" : "no");
    return same;
}

}  // namespace

int main(int argc, char** argv)
{
    long rounds = argc > 1 ? atol(argv[1]) : 20000;
    std::string der = ReadFile(argc > 3 ? argv[2] : QUORIN_FIXTURES "/user.der");
    std::string pem = ReadFile(argc > 3 ? argv[3] : QUORIN_FIXTURES "/user-crlf.pem");
    if (rounds <= 0)
        rounds = 1;

    Fields ours = OursFromDer(der);
    if (!Agree(ours, TheirsFromDer(der)) || !Agree(OursFromPem(pem), TheirsFromPem(pem)))
        return 1;
    printf("certificate: %zu octets, subject %s\n", der.size(), ours.subject.c_str());
    printf("%-28s %12s %12s %8s\n", "work, per certificate", "ours (us)", "OpenSSL (us)", "ratio");
    const struct {
        const char* what;
        Fields (*ourWork)(const std::string&);
        Fields (*theirWork)(const std::string&);
        const std::string* input;
    } rows[] = {
        {"DER: parse and read fields", OursFromDer, TheirsFromDer, &der},
        {"PEM: load and read fields", OursFromPem, TheirsFromPem, &pem},
    };
    for (auto& row : rows) {
        double mine = MicrosecondsPerRound(rounds, [&] { return row.ourWork(*row.input); });
        double theirs = MicrosecondsPerRound(rounds, [&] { return row.theirWork(*row.input); });
        printf("%-28s %12.2f %12.2f %8.2f\n", row.what, mine, theirs, mine / theirs);
    }
    printf("(%ld rounds each; ratio = ours / OpenSSL, below 1 is faster)\n", rounds);
    return 0;
}
