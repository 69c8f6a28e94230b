// One run's stores: the destination (a store file or a system store), the "CA"
// system store for intermediate CA certificates, and one input at a time.
#pragma once

#include "bundlor/CertificateFunctions.h"
#include "bundlor/Console.h"
#include "bundlor/Options.h"

#include <string>

// Every store and certificate operation uses this encoding.
const DWORD kBundlorEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// The user property that tells other programs what a certificate is for.
const DWORD CERT_ROLE_PROP_ID = 0x8444;

class CStoreBuilder {
public:
    CStoreBuilder(CCertificateFunctions& functions, CConsole& console,
                  const BundlorOptions& options);
    CStoreBuilder(const CStoreBuilder&) = delete;
    CStoreBuilder& operator=(const CStoreBuilder&) = delete;
    ~CStoreBuilder();

    // Opens the CA store (system-store mode only, may stay closed) and the
    // destination. False, with the message written, when the destination fails.
    bool OpenStores(const char* destination);

    // Adds the certificates of one input; every failure is reported and passed over.
    void ProcessInput(const char* input);

    // The CA store first, then the destination (a store file is written now).
    void CloseStores();

private:
    HCERTSTORE OpenMachineOrUserStore(const char* name);
    void ProcessStoreInput(HCERTSTORE input);
    void ProcessFileInput(const char* path);

    HCERTSTORE ChooseTarget(PCCERT_CONTEXT certificate);
    bool ReadBasicConstraints(PCCERT_CONTEXT certificate, CERT_BASIC_CONSTRAINTS2_INFO& info);

    HRESULT AddToStore(PCCERT_CONTEXT certificate, HCERTSTORE target);
    std::string SimpleDisplayName(PCCERT_CONTEXT certificate);
    HRESULT TagCertificate(PCCERT_CONTEXT storedCopy, const std::string& name);
    HRESULT SetFriendlyName(PCCERT_CONTEXT storedCopy, const std::string& friendlyName);
    HRESULT SetRoleProperty(PCCERT_CONTEXT storedCopy);

    CCertificateFunctions& m_functions;
    CConsole& m_console;
    BundlorOptions m_options;
    HCERTSTORE m_destination = nullptr;
    HCERTSTORE m_caStore = nullptr;
};
