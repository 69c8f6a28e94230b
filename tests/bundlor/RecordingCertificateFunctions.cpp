#include "tests/bundlor/RecordingCertificateFunctions.h"

#include <cstdio>

namespace {

std::string Hex8(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

std::string PropertyName(DWORD id)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(id));
    return text;
}

}  // namespace

std::string SubjectName(PCCERT_CONTEXT certificate)
{
    char name[512] = {};
    CertGetNameStringA(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name);
    return name;
}

void CRecordingConsole::Out(const std::string& text)
{
    out += text;
    m_transcript.Add("out: " + text);
}

void CRecordingConsole::Err(const std::string& text)
{
    err += text;
    m_transcript.Add("err: " + text);
}

CRecordingCertificateFunctions::CRecordingCertificateFunctions(Transcript& transcript)
    : m_transcript(transcript)
{
}

CRecordingCertificateFunctions::~CRecordingCertificateFunctions()
{
    for (auto& entry : m_contexts)
        CertFreeCertificateContext(entry.first);
}

void CRecordingCertificateFunctions::InputStore(const std::string& path,
                                                const std::vector<Bytes>& certificates)
{
    m_inputs[path] = certificates;
}

void CRecordingCertificateFunctions::FailOpen(const std::string& store, DWORD error)
{
    m_openFailures[store] = error;
}

void CRecordingCertificateFunctions::FailAdd(const std::string& store, const std::string& subject,
                                             DWORD error)
{
    m_addFailures[store + "|" + subject] = error;
}

void CRecordingCertificateFunctions::FailProperty(DWORD propertyId, DWORD error)
{
    m_propertyFailures[propertyId] = error;
}

void CRecordingCertificateFunctions::FailDecode(DWORD error)
{
    m_decodeFailure = error;
}

const FakeStore* CRecordingCertificateFunctions::Store(const std::string& store) const
{
    auto found = m_stores.find(store);
    return found == m_stores.end() ? nullptr : found->second.get();
}

BOOL CRecordingCertificateFunctions::Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

HCERTSTORE CRecordingCertificateFunctions::OpenStore(LPCSTR provider, DWORD encoding,
                                                     HCRYPTPROV_LEGACY cryptProv, DWORD flags,
                                                     const void* parameter)
{
    const char* name = static_cast<const char*>(parameter);
    std::string kind;
    if (provider == CERT_STORE_PROV_FILENAME_A)
        kind = "FILENAME_A";
    else if (provider == CERT_STORE_PROV_SYSTEM_A)
        kind = "SYSTEM_A";
    else
        kind = "provider " + std::to_string(reinterpret_cast<ULONG_PTR>(provider));
    m_transcript.Add("CertOpenStore(" + kind + ", " + Hex8(encoding) + ", " +
                     std::to_string(cryptProv) + ", " + Hex8(flags) + ", " + name + ")");

    if (kind == "FILENAME_A" && flags == 0)
        return OpenNamed(std::string("file:") + name);
    if (kind == "FILENAME_A" && flags == CERT_FILE_STORE_COMMIT_ENABLE_FLAG)
        return OpenNamed(std::string("commit:") + name);
    if (kind == "SYSTEM_A" && flags == CERT_SYSTEM_STORE_LOCAL_MACHINE)
        return OpenNamed(std::string("machine:") + name);
    Fail(static_cast<DWORD>(E_INVALIDARG));
    return nullptr;
}

HCERTSTORE CRecordingCertificateFunctions::OpenSystemStore(HCRYPTPROV_LEGACY cryptProv,
                                                           LPCSTR storeName)
{
    m_transcript.Add("CertOpenSystemStoreA(" + std::to_string(cryptProv) + ", " + storeName + ")");
    return OpenNamed(std::string("user:") + storeName);
}

HCERTSTORE CRecordingCertificateFunctions::OpenNamed(const std::string& store)
{
    auto failure = m_openFailures.find(store);
    if (failure != m_openFailures.end()) {
        Fail(failure->second);
        return nullptr;
    }
    bool input = store.compare(0, 5, "file:") == 0;
    if (input) {
        auto declared = m_inputs.find(store.substr(5));
        if (declared == m_inputs.end()) {
            Fail(static_cast<DWORD>(CRYPT_E_NO_MATCH));
            return nullptr;
        }
        auto fresh = std::make_unique<FakeStore>();
        fresh->name = store;
        for (const Bytes& encoded : declared->second)
            fresh->certificates.push_back(std::make_shared<FakeCertificate>(FakeCertificate{encoded, {}}));
        m_stores[store] = std::move(fresh);
    } else if (!m_stores.count(store)) {
        m_stores[store] = std::make_unique<FakeStore>();
        m_stores[store]->name = store;
    }
    auto handle = std::make_unique<Handle>();
    handle->store = m_stores[store].get();
    HCERTSTORE result = handle.get();
    m_handles[result] = std::move(handle);
    ++m_openHandles;
    return result;
}

BOOL CRecordingCertificateFunctions::CloseStore(HCERTSTORE store, DWORD flags)
{
    m_transcript.Add("CertCloseStore(" + HandleName(store) + ", " + Hex8(flags) + ")");
    if (!m_handles.erase(store)) {
        ++m_unknownReleases;
        return Fail(static_cast<DWORD>(E_INVALIDARG));
    }
    --m_openHandles;
    return TRUE;
}

PCCERT_CONTEXT CRecordingCertificateFunctions::EnumCertificatesInStore(HCERTSTORE store,
                                                                       PCCERT_CONTEXT previous)
{
    m_transcript.Add("CertEnumCertificatesInStore(" + HandleName(store) + ", " +
                     (previous ? Label(previous) : std::string("null")) + ")");
    if (previous) {
        CertFreeCertificateContext(previous);
        if (!m_contexts.erase(previous))
            ++m_unknownReleases;
    }
    auto found = m_handles.find(store);
    if (found == m_handles.end()) {
        Fail(static_cast<DWORD>(E_INVALIDARG));
        return nullptr;
    }
    Handle& handle = *found->second;
    if (handle.next >= handle.store->certificates.size()) {
        Fail(static_cast<DWORD>(CRYPT_E_NOT_FOUND));
        return nullptr;
    }
    std::shared_ptr<FakeCertificate> certificate = handle.store->certificates[handle.next++];
    return NewContext(certificate->encoded, "", certificate);
}

PCCERT_CONTEXT CRecordingCertificateFunctions::CreateCertificateContext(DWORD encoding,
                                                                        const BYTE* encoded,
                                                                        DWORD encodedSize)
{
    m_transcript.Add("CertCreateCertificateContext(" + Hex8(encoding) + ", " +
                     std::to_string(encodedSize) + " bytes)");
    PCCERT_CONTEXT context = CertCreateCertificateContext(encoding, encoded, encodedSize);
    if (context)
        m_contexts[context] = Context{SubjectName(context), nullptr};
    return context;
}

PCCERT_CONTEXT CRecordingCertificateFunctions::NewContext(const Bytes& encoded,
                                                          const std::string& where,
                                                          std::shared_ptr<FakeCertificate> stored)
{
    PCCERT_CONTEXT context = CertCreateCertificateContext(
        X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, encoded.data(), static_cast<DWORD>(encoded.size()));
    if (!context)
        return nullptr;
    std::string label = SubjectName(context);
    if (!where.empty())
        label += " in " + where;
    m_contexts[context] = Context{label, std::move(stored)};
    return context;
}

BOOL CRecordingCertificateFunctions::FreeCertificateContext(PCCERT_CONTEXT certificate)
{
    m_transcript.Add("CertFreeCertificateContext(" + Label(certificate) + ")");
    if (!certificate)
        return TRUE;
    if (!m_contexts.erase(certificate)) {
        ++m_unknownReleases;
        return Fail(static_cast<DWORD>(E_INVALIDARG));
    }
    CertFreeCertificateContext(certificate);
    return TRUE;
}

BOOL CRecordingCertificateFunctions::AddCertificateContextToStore(HCERTSTORE store,
                                                                  PCCERT_CONTEXT certificate,
                                                                  DWORD disposition,
                                                                  PCCERT_CONTEXT* storedCopy)
{
    std::string target = HandleName(store);
    m_transcript.Add("CertAddCertificateContextToStore(" + target + ", " + Label(certificate) +
                     ", " + std::to_string(disposition) + ")");
    auto failure = m_addFailures.find(target + "|" + SubjectName(certificate));
    if (failure != m_addFailures.end())
        return Fail(failure->second);
    auto handle = m_handles.find(store);
    if (handle == m_handles.end())
        return Fail(static_cast<DWORD>(E_INVALIDARG));

    auto copy = std::make_shared<FakeCertificate>();
    copy->encoded.assign(certificate->pbCertEncoded,
                         certificate->pbCertEncoded + certificate->cbCertEncoded);
    auto source = m_contexts.find(certificate);
    if (source != m_contexts.end() && source->second.stored)
        copy->properties = source->second.stored->properties;

    FakeStore& into = *handle->second->store;
    bool replaced = false;
    for (auto& held : into.certificates) {
        if (held->encoded == copy->encoded) {
            if (disposition != CERT_STORE_ADD_REPLACE_EXISTING)
                return Fail(static_cast<DWORD>(CRYPT_E_EXISTS));
            held = copy;
            replaced = true;
        }
    }
    if (!replaced)
        into.certificates.push_back(copy);
    if (storedCopy)
        *storedCopy = NewContext(copy->encoded, target, copy);
    return TRUE;
}

DWORD CRecordingCertificateFunctions::GetNameString(PCCERT_CONTEXT certificate, DWORD type,
                                                    DWORD flags, void* typeParameter, LPSTR name,
                                                    DWORD nameSize)
{
    m_transcript.Add("CertGetNameStringA(" + Label(certificate) + ", " + std::to_string(type) +
                     ", " + std::to_string(flags) + ", " + std::to_string(nameSize) + ")");
    return CertGetNameStringA(certificate, type, flags, typeParameter, name, nameSize);
}

BOOL CRecordingCertificateFunctions::SetCertificateContextProperty(PCCERT_CONTEXT certificate,
                                                                   DWORD propertyId, DWORD flags,
                                                                   const void* data)
{
    const CRYPT_DATA_BLOB* blob = static_cast<const CRYPT_DATA_BLOB*>(data);
    m_transcript.Add("CertSetCertificateContextProperty(" + Label(certificate) + ", " +
                     PropertyName(propertyId) + ", " + std::to_string(flags) + ", " +
                     std::to_string(blob ? blob->cbData : 0) + " bytes)");
    auto failure = m_propertyFailures.find(propertyId);
    if (failure != m_propertyFailures.end())
        return Fail(failure->second);
    auto context = m_contexts.find(certificate);
    if (context == m_contexts.end() || !blob)
        return Fail(static_cast<DWORD>(E_INVALIDARG));
    if (context->second.stored)
        context->second.stored->properties[propertyId] = Bytes(blob->pbData, blob->pbData + blob->cbData);
    return TRUE;
}

BOOL CRecordingCertificateFunctions::DecodeObject(DWORD encoding, LPCSTR structType,
                                                  const BYTE* encoded, DWORD encodedSize,
                                                  DWORD flags, void* decoded, DWORD* decodedSize)
{
    std::string type = (reinterpret_cast<ULONG_PTR>(structType) >> 16) == 0
                           ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(structType))
                           : std::string(structType);
    m_transcript.Add("CryptDecodeObject(" + Hex8(encoding) + ", " + type + ", " +
                     std::to_string(encodedSize) + " bytes, " + std::to_string(flags) +
                     ", offered " + std::to_string(decodedSize ? *decodedSize : 0) + ")");
    if (m_decodeFailure)
        return Fail(m_decodeFailure);
    return CryptDecodeObject(encoding, structType, encoded, encodedSize, flags, decoded,
                             decodedSize);
}

std::string CRecordingCertificateFunctions::Label(PCCERT_CONTEXT certificate) const
{
    auto found = m_contexts.find(certificate);
    return found == m_contexts.end() ? std::string("(unknown)") : found->second.label;
}

std::string CRecordingCertificateFunctions::HandleName(HCERTSTORE store) const
{
    auto found = m_handles.find(store);
    return found == m_handles.end() ? std::string("(unknown)") : found->second->store->name;
}
