// The certificate functions bundlor calls, one method per platform function with
// the same parameters and results (a failure leaves its code in GetLastError).
// The program uses crypt32 through CCrypt32Functions; tests put a recorder here.
#pragma once

#include <windows.h>
#include <wincrypt.h>

class CCertificateFunctions {
public:
    virtual ~CCertificateFunctions() = default;

    virtual HCERTSTORE OpenStore(LPCSTR provider, DWORD encoding, HCRYPTPROV_LEGACY cryptProv,
                                 DWORD flags, const void* parameter) = 0;
    virtual HCERTSTORE OpenSystemStore(HCRYPTPROV_LEGACY cryptProv, LPCSTR storeName) = 0;
    virtual BOOL CloseStore(HCERTSTORE store, DWORD flags) = 0;
    virtual PCCERT_CONTEXT EnumCertificatesInStore(HCERTSTORE store, PCCERT_CONTEXT previous) = 0;
    virtual PCCERT_CONTEXT CreateCertificateContext(DWORD encoding, const BYTE* encoded,
                                                    DWORD encodedSize) = 0;
    virtual BOOL FreeCertificateContext(PCCERT_CONTEXT certificate) = 0;
    virtual BOOL AddCertificateContextToStore(HCERTSTORE store, PCCERT_CONTEXT certificate,
                                              DWORD disposition, PCCERT_CONTEXT* storedCopy) = 0;
    virtual DWORD GetNameString(PCCERT_CONTEXT certificate, DWORD type, DWORD flags,
                                void* typeParameter, LPSTR name, DWORD nameSize) = 0;
    virtual BOOL SetCertificateContextProperty(PCCERT_CONTEXT certificate, DWORD propertyId,
                                               DWORD flags, const void* data) = 0;
    virtual BOOL DecodeObject(DWORD encoding, LPCSTR structType, const BYTE* encoded,
                              DWORD encodedSize, DWORD flags, void* decoded,
                              DWORD* decodedSize) = 0;
};
