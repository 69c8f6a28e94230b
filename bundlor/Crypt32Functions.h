// The certificate functions as crypt32 provides them.
#pragma once

#include "bundlor/CertificateFunctions.h"

class CCrypt32Functions : public CCertificateFunctions {
public:
    HCERTSTORE OpenStore(LPCSTR provider, DWORD encoding, HCRYPTPROV_LEGACY cryptProv,
                         DWORD flags, const void* parameter) override;
    HCERTSTORE OpenSystemStore(HCRYPTPROV_LEGACY cryptProv, LPCSTR storeName) override;
    BOOL CloseStore(HCERTSTORE store, DWORD flags) override;
    PCCERT_CONTEXT EnumCertificatesInStore(HCERTSTORE store, PCCERT_CONTEXT previous) override;
    PCCERT_CONTEXT CreateCertificateContext(DWORD encoding, const BYTE* encoded,
                                            DWORD encodedSize) override;
    BOOL FreeCertificateContext(PCCERT_CONTEXT certificate) override;
    BOOL AddCertificateContextToStore(HCERTSTORE store, PCCERT_CONTEXT certificate,
                                      DWORD disposition, PCCERT_CONTEXT* storedCopy) override;
    DWORD GetNameString(PCCERT_CONTEXT certificate, DWORD type, DWORD flags,
                        void* typeParameter, LPSTR name, DWORD nameSize) override;
    BOOL SetCertificateContextProperty(PCCERT_CONTEXT certificate, DWORD propertyId,
                                       DWORD flags, const void* data) override;
    BOOL DecodeObject(DWORD encoding, LPCSTR structType, const BYTE* encoded,
                      DWORD encodedSize, DWORD flags, void* decoded,
                      DWORD* decodedSize) override;
};
