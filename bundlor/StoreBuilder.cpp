#include "bundlor/StoreBuilder.h"

#include "bundlor/HResult.h"
#include "bundlor/MappedFile.h"

#include <cstring>

namespace {

const char* RolePrefix(BundlorRole role)
{
    return role == RoleSignature ? "[IT-SIGN] " : "[IT-AUTH] ";
}

DWORD RolePropertyValue(BundlorRole role)
{
    return role == RoleSignature ? 3 : 1;
}

bool SameEncodedName(const CERT_NAME_BLOB& first, const CERT_NAME_BLOB& second)
{
    return first.cbData == second.cbData &&
           (first.cbData == 0 || std::memcmp(first.pbData, second.pbData, first.cbData) == 0);
}

}  // namespace

CStoreBuilder::CStoreBuilder(CCertificateFunctions& functions, CConsole& console,
                             const BundlorOptions& options)
    : m_functions(functions), m_console(console), m_options(options)
{
}

CStoreBuilder::~CStoreBuilder()
{
    CloseStores();
}

bool CStoreBuilder::OpenStores(const char* destination)
{
    if (m_options.systemStore) {
        m_caStore = OpenMachineOrUserStore("CA");
        m_destination = OpenMachineOrUserStore(destination);
    } else {
        m_destination = m_functions.OpenStore(CERT_STORE_PROV_FILENAME_A, kBundlorEncoding, 0,
                                              CERT_FILE_STORE_COMMIT_ENABLE_FLAG, destination);
    }
    if (m_destination)
        return true;
    m_console.Err("*** Can't open cert store.\n");
    CloseStores();
    return false;
}

HCERTSTORE CStoreBuilder::OpenMachineOrUserStore(const char* name)
{
    HCERTSTORE store = m_functions.OpenStore(CERT_STORE_PROV_SYSTEM_A, kBundlorEncoding, 0,
                                             CERT_SYSTEM_STORE_LOCAL_MACHINE, name);
    if (!store)
        store = m_functions.OpenSystemStore(0, name);
    return store;
}

void CStoreBuilder::CloseStores()
{
    if (m_caStore)
        m_functions.CloseStore(m_caStore, 0);
    if (m_destination)
        m_functions.CloseStore(m_destination, 0);
    m_caStore = nullptr;
    m_destination = nullptr;
}

void CStoreBuilder::ProcessInput(const char* input)
{
    m_console.Out(std::string("Cert: ") + input + "\n");
    HCERTSTORE store =
        m_functions.OpenStore(CERT_STORE_PROV_FILENAME_A, kBundlorEncoding, 0, 0, input);
    if (store)
        ProcessStoreInput(store);
    else
        ProcessFileInput(input);
}

void CStoreBuilder::ProcessStoreInput(HCERTSTORE input)
{
    // Each call releases the previous context; the last one returns null.
    PCCERT_CONTEXT certificate = nullptr;
    while ((certificate = m_functions.EnumCertificatesInStore(input, certificate)) != nullptr) {
        HRESULT result = AddToStore(certificate, ChooseTarget(certificate));
        if (result == CRYPT_E_EXISTS)
            m_console.Err("*** Already exist\n");
        else if (result < 0)
            m_console.Err("*** Can't add certificate " + FormatCode(result) + "\n");
    }
    m_functions.CloseStore(input, 0);
}

void CStoreBuilder::ProcessFileInput(const char* path)
{
    CMappedFile file;
    HRESULT result = file.Open(path);
    if (result < 0) {
        m_console.Err("*** Can't open certificate " + FormatCode(result) + "\n");
        return;
    }
    result = file.Map();
    if (result < 0) {
        m_console.Err("*** Can't map certificate in memory " + FormatCode(result) + "\n");
        return;
    }
    PCCERT_CONTEXT certificate =
        m_functions.CreateCertificateContext(kBundlorEncoding, file.Data(), file.Size());
    if (!certificate) {
        m_console.Err("*** Bad certificate " + FormatCode(FailureFromLastError()) + "\n");
        return;
    }
    result = AddToStore(certificate, ChooseTarget(certificate));
    if (result == CRYPT_E_EXISTS)
        m_console.Err("*** Certificate already exist\n");
    else if (result < 0)
        m_console.Err("*** Can't add certificate to store " + FormatCode(result) + "\n");
    m_functions.FreeCertificateContext(certificate);
}

HCERTSTORE CStoreBuilder::ChooseTarget(PCCERT_CONTEXT certificate)
{
    if (!m_options.systemStore || !m_caStore)
        return m_destination;
    CERT_BASIC_CONSTRAINTS2_INFO constraints = {};
    if (!ReadBasicConstraints(certificate, constraints) || !constraints.fCA)
        return m_destination;
    const CERT_INFO* info = certificate->pCertInfo;
    if (SameEncodedName(info->Issuer, info->Subject))
        return m_destination;  // a self-signed CA
    return m_caStore;
}

bool CStoreBuilder::ReadBasicConstraints(PCCERT_CONTEXT certificate,
                                         CERT_BASIC_CONSTRAINTS2_INFO& constraints)
{
    const CERT_INFO* info = certificate->pCertInfo;
    for (DWORD index = 0; index < info->cExtension; ++index) {
        const CERT_EXTENSION& extension = info->rgExtension[index];
        if (std::strcmp(extension.pszObjId, szOID_BASIC_CONSTRAINTS2) != 0)
            continue;
        DWORD size = sizeof constraints;
        BOOL decoded = m_functions.DecodeObject(certificate->dwCertEncodingType,
                                                szOID_BASIC_CONSTRAINTS2,
                                                extension.Value.pbData, extension.Value.cbData,
                                                0, &constraints, &size);
        return decoded && size != 0;
    }
    return false;
}

HRESULT CStoreBuilder::AddToStore(PCCERT_CONTEXT certificate, HCERTSTORE target)
{
    PCCERT_CONTEXT storedCopy = nullptr;
    if (!m_functions.AddCertificateContextToStore(target, certificate,
                                                  CERT_STORE_ADD_REPLACE_EXISTING, &storedCopy))
        return FailureFromLastError();
    if (!storedCopy)
        return E_POINTER;

    std::string name = SimpleDisplayName(storedCopy);
    m_console.Out("Name: " + name + "\n");
    HRESULT result = m_options.role == RoleNone ? S_OK : TagCertificate(storedCopy, name);
    m_functions.FreeCertificateContext(storedCopy);
    return result;
}

std::string CStoreBuilder::SimpleDisplayName(PCCERT_CONTEXT certificate)
{
    DWORD size = m_functions.GetNameString(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0,
                                           nullptr, nullptr, 0);
    if (size == 0)
        return std::string();
    std::string name(size, '\0');
    size = m_functions.GetNameString(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                                     &name[0], size);
    name.resize(std::strlen(name.c_str()));
    return name;
}

// Tags the copy inside the target store, so the store saves the tags with it.
HRESULT CStoreBuilder::TagCertificate(PCCERT_CONTEXT storedCopy, const std::string& name)
{
    HRESULT result = SetFriendlyName(storedCopy, RolePrefix(m_options.role) + name);
    if (result < 0)
        return result;
    return SetRoleProperty(storedCopy);
}

HRESULT CStoreBuilder::SetFriendlyName(PCCERT_CONTEXT storedCopy, const std::string& friendlyName)
{
    // The counts include the terminating zero: 2 x characters + 2 bytes.
    SetLastError(ERROR_SUCCESS);
    int characters = MultiByteToWideChar(CP_THREAD_ACP, 0, friendlyName.c_str(), -1, nullptr, 0);
    if (characters <= 0)
        return FailureFromLastError();
    std::wstring wide(static_cast<size_t>(characters), L'\0');
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, friendlyName.c_str(), -1, &wide[0],
                            characters) != characters)
        return FailureFromLastError();

    CRYPT_DATA_BLOB blob;
    blob.cbData = static_cast<DWORD>(characters) * sizeof(WCHAR);
    blob.pbData = reinterpret_cast<BYTE*>(&wide[0]);
    if (!m_functions.SetCertificateContextProperty(storedCopy, CERT_FRIENDLY_NAME_PROP_ID, 0,
                                                   &blob))
        return FailureFromLastError();
    return S_OK;
}

HRESULT CStoreBuilder::SetRoleProperty(PCCERT_CONTEXT storedCopy)
{
    DWORD value = RolePropertyValue(m_options.role);
    BYTE bytes[4] = {
        static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
        static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24),
    };
    CRYPT_DATA_BLOB blob;
    blob.cbData = sizeof bytes;
    blob.pbData = bytes;
    if (!m_functions.SetCertificateContextProperty(storedCopy, CERT_ROLE_PROP_ID, 0, &blob))
        return FailureFromLastError();
    return S_OK;
}
