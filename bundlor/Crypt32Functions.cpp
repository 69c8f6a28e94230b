#include "bundlor/Crypt32Functions.h"

// Each call starts with a clear error so that a failure which sets no code of its
// own is not reported with a stale one (see FailureFromLastError).

HCERTSTORE CCrypt32Functions::OpenStore(LPCSTR provider, DWORD encoding,
                                        HCRYPTPROV_LEGACY cryptProv, DWORD flags,
                                        const void* parameter)
{
    SetLastError(ERROR_SUCCESS);
    return CertOpenStore(provider, encoding, cryptProv, flags, parameter);
}

HCERTSTORE CCrypt32Functions::OpenSystemStore(HCRYPTPROV_LEGACY cryptProv, LPCSTR storeName)
{
    SetLastError(ERROR_SUCCESS);
    return CertOpenSystemStoreA(cryptProv, storeName);
}

BOOL CCrypt32Functions::CloseStore(HCERTSTORE store, DWORD flags)
{
    SetLastError(ERROR_SUCCESS);
    return CertCloseStore(store, flags);
}

PCCERT_CONTEXT CCrypt32Functions::EnumCertificatesInStore(HCERTSTORE store,
                                                          PCCERT_CONTEXT previous)
{
    SetLastError(ERROR_SUCCESS);
    return CertEnumCertificatesInStore(store, previous);
}

PCCERT_CONTEXT CCrypt32Functions::CreateCertificateContext(DWORD encoding, const BYTE* encoded,
                                                           DWORD encodedSize)
{
    SetLastError(ERROR_SUCCESS);
    return CertCreateCertificateContext(encoding, encoded, encodedSize);
}

BOOL CCrypt32Functions::FreeCertificateContext(PCCERT_CONTEXT certificate)
{
    SetLastError(ERROR_SUCCESS);
    return CertFreeCertificateContext(certificate);
}

BOOL CCrypt32Functions::AddCertificateContextToStore(HCERTSTORE store, PCCERT_CONTEXT certificate,
                                                     DWORD disposition,
                                                     PCCERT_CONTEXT* storedCopy)
{
    SetLastError(ERROR_SUCCESS);
    return CertAddCertificateContextToStore(store, certificate, disposition, storedCopy);
}

DWORD CCrypt32Functions::GetNameString(PCCERT_CONTEXT certificate, DWORD type, DWORD flags,
                                       void* typeParameter, LPSTR name, DWORD nameSize)
{
    SetLastError(ERROR_SUCCESS);
    return CertGetNameStringA(certificate, type, flags, typeParameter, name, nameSize);
}

BOOL CCrypt32Functions::SetCertificateContextProperty(PCCERT_CONTEXT certificate,
                                                      DWORD propertyId, DWORD flags,
                                                      const void* data)
{
    SetLastError(ERROR_SUCCESS);
    return CertSetCertificateContextProperty(certificate, propertyId, flags, data);
}

BOOL CCrypt32Functions::DecodeObject(DWORD encoding, LPCSTR structType, const BYTE* encoded,
                                     DWORD encodedSize, DWORD flags, void* decoded,
                                     DWORD* decodedSize)
{
    SetLastError(ERROR_SUCCESS);
    return CryptDecodeObject(encoding, structType, encoded, encodedSize, flags, decoded,
                             decodedSize);
}
