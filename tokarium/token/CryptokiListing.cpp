// Certificate and key enumeration, and the object search they share with
// import and deletion.

#include "tokarium/token/Cryptoki.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/token/CertificateFields.h"
#include "tokarium/token/TokenCall.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A length the module reported together with CKR_OK, checked before it sizes a buffer.
bool UsableLength(CK_ULONG length)
{
    return length != CK_UNAVAILABLE_INFORMATION && length < 0x7FFFFFFF;
}

} // namespace

CK_RV CCryptoki::FindObjects(CK_SESSION_HANDLE session, CK_ATTRIBUTE* search,
                             CK_ULONG searchSize, CK_OBJECT_HANDLE* found, CK_ULONG capacity,
                             CK_ULONG& foundCount)
{
    foundCount = 0;
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    CK_RV rv = m_functions->C_FindObjectsInit(session, search, searchSize);
    if (rv != CKR_OK)
        return rv;
    rv = m_functions->C_FindObjects(session, found, capacity, &foundCount);
    if (rv != CKR_OK) {
        // Ends the search all the same, or the session would refuse every later one.
        m_functions->C_FindObjectsFinal(session);
        foundCount = 0;
        return rv;
    }
    if (foundCount > capacity)
        foundCount = capacity;
    return m_functions->C_FindObjectsFinal(session);
}

CK_RV CCryptoki::GetCertificates(CK_SESSION_HANDLE session, CertificateList& list)
{
    theLog.LogDebug(0, "CCryptoki::GetCertificates", "");
    CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
    CK_ATTRIBUTE search[] = {
        MakeAttribute(CKA_CLASS, &certificateClass, sizeof certificateClass),
    };
    CK_OBJECT_HANDLE found[MAX_LISTED_OBJECTS];
    CK_ULONG count = 0;
    CK_RV rv = FindObjects(session, search, 1, found, MAX_LISTED_OBJECTS, count);
    if (rv != CKR_OK)
        return rv;
    if (count == 0) {
        theLog.LogError(0, "CCryptoki::GetCertificate", "Certificate not found: %x", 0u);
        list.count = 0;
        return CKR_OK;
    }
    theLog.LogDebug(0, "CCryptoki::GetCertificate", "count: %d", AsCount(count));
    list.count = static_cast<uint32_t>(count);
    list.entries = new CertificateEntry[count]();
    for (CK_ULONG i = 0; i < count; ++i) {
        theLog.LogDebug(0, "CCryptoki::GetCertificate", "i: %d", AsCount(i));
        rv = FillCertificateEntry(session, found[i], list.entries[i]);
        if (rv != CKR_OK)
            return rv;
    }
    return CKR_OK;
}

CK_RV CCryptoki::FillCertificateEntry(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                                      CertificateEntry& entry)
{
    CK_ATTRIBUTE read[] = {
        MakeAttribute(CKA_VALUE, nullptr, 0),
        MakeAttribute(CKA_LABEL, nullptr, 0),
    };
    CK_RV rv = m_functions->C_GetAttributeValue(session, object, read, 2);
    if (rv != CKR_OK)
        return rv;
    if (!UsableLength(read[0].ulValueLen) || !UsableLength(read[1].ulValueLen))
        return CKR_ATTRIBUTE_VALUE_INVALID;
    entry.handle = object;
    std::vector<unsigned char> value(read[0].ulValueLen + 1);
    std::vector<char> label(read[1].ulValueLen + 1);
    read[0].pValue = value.data();
    read[1].pValue = label.data();
    rv = m_functions->C_GetAttributeValue(session, object, read, 2);
    if (rv != CKR_OK)
        return rv;
    CK_ULONG valueLength = read[0].ulValueLen < value.size() ? read[0].ulValueLen : 0;
    CK_ULONG labelLength = read[1].ulValueLen < label.size() ? read[1].ulValueLen : 0;

    CCertificate certificate(value.data(), static_cast<unsigned int>(valueLength));
    std::string text = SubjectText(certificate);
    CopyText(entry.subject, sizeof entry.subject, text.data(), text.size());
    text = IssuerText(certificate);
    CopyText(entry.issuer, sizeof entry.issuer, text.data(), text.size());
    text = SerialText(certificate);
    CopyText(entry.serial, sizeof entry.serial, text.data(), text.size());
    CopyText(entry.label, sizeof entry.label, label.data(), labelLength);
    text = NotAfterText(certificate);
    CopyText(entry.notAfter, sizeof entry.notAfter, text.data(), text.size());
    text = NotBeforeText(certificate);
    CopyText(entry.notBefore, sizeof entry.notBefore, text.data(), text.size());

    entry.value = new unsigned char[valueLength ? valueLength : 1];
    std::memcpy(entry.value, value.data(), valueLength);
    entry.valueLength = static_cast<uint32_t>(valueLength);
    return CKR_OK;
}

CK_RV CCryptoki::GetPrivateKeys(CK_SESSION_HANDLE session, PrivateKeyList& list)
{
    theLog.LogDebug(0, "CCryptoki::GetPrivateKeys", "");
    CK_OBJECT_CLASS keyClass = CKO_PRIVATE_KEY;
    CK_ATTRIBUTE search[] = {
        MakeAttribute(CKA_CLASS, &keyClass, sizeof keyClass),
    };
    CK_OBJECT_HANDLE found[MAX_LISTED_OBJECTS];
    CK_ULONG count = 0;
    CK_RV rv = FindObjects(session, search, 1, found, MAX_LISTED_OBJECTS, count);
    if (rv != CKR_OK)
        return rv;
    if (count == 0) {
        theLog.LogError(0, "CCryptoki::GetPrivateKeys", "PrivateKey not found");
        return CKR_OK;
    }
    theLog.LogDebug(0, "CCryptoki::GetPrivateKeys", "count: %d", AsCount(count));
    list.count = static_cast<uint32_t>(count);
    list.entries = new PrivateKeyEntry[count]();
    for (CK_ULONG i = 0; i < count; ++i) {
        list.entries[i].handle = 0;
        theLog.LogDebug(0, "CCryptoki::GetPrivateKeys", "i: %d", AsCount(i));
        rv = FillPrivateKeyEntry(session, found[i], list.entries[i]);
        if (rv != CKR_OK)
            return rv;
    }
    return CKR_OK;
}

CK_RV CCryptoki::FillPrivateKeyEntry(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                                     PrivateKeyEntry& entry)
{
    CK_ATTRIBUTE read[] = { MakeAttribute(CKA_LABEL, nullptr, 0) };
    CK_RV rv = m_functions->C_GetAttributeValue(session, object, read, 1);
    if (rv != CKR_OK)
        return rv;
    if (!UsableLength(read[0].ulValueLen))
        return CKR_ATTRIBUTE_VALUE_INVALID;
    entry.handle = object;
    std::vector<char> label(read[0].ulValueLen + 1);
    read[0].pValue = label.data();
    rv = m_functions->C_GetAttributeValue(session, object, read, 1);
    if (rv != CKR_OK)
        return rv;
    CK_ULONG labelLength = read[0].ulValueLen < label.size() ? read[0].ulValueLen : 0;
    CopyText(entry.label, sizeof entry.label, label.data(), labelLength);
    return CKR_OK;
}

CK_RV CCryptoki::GetCertificate(CK_SESSION_HANDLE session, const char* label,
                                CCertificate*& certificate, CByteArray& id)
{
    certificate = nullptr;
    CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
    CK_ATTRIBUTE search[] = {
        MakeAttribute(CKA_CLASS, &certificateClass, sizeof certificateClass),
        MakeAttribute(CKA_LABEL, label, static_cast<CK_ULONG>(std::strlen(label))),
    };
    CK_OBJECT_HANDLE object = CK_INVALID_HANDLE;
    CK_ULONG count = 0;
    CK_RV rv = FindObjects(session, search, 2, &object, 1, count);
    if (rv != CKR_OK)
        return rv;
    if (count == 0)
        return CERTIFICATE_NOT_FOUND;

    CK_ATTRIBUTE read[] = {
        MakeAttribute(CKA_VALUE, nullptr, 0),
        MakeAttribute(CKA_ID, nullptr, 0),
    };
    rv = m_functions->C_GetAttributeValue(session, object, read, 2);
    if (rv != CKR_OK)
        return rv;
    if (!UsableLength(read[0].ulValueLen) || !UsableLength(read[1].ulValueLen))
        return CKR_ATTRIBUTE_VALUE_INVALID;
    std::vector<unsigned char> value(read[0].ulValueLen + 1);
    std::vector<unsigned char> identifier(read[1].ulValueLen + 1);
    read[0].pValue = value.data();
    read[1].pValue = identifier.data();
    rv = m_functions->C_GetAttributeValue(session, object, read, 2);
    if (rv != CKR_OK)
        return rv;
    CK_ULONG valueLength = read[0].ulValueLen < value.size() ? read[0].ulValueLen : 0;
    CK_ULONG idLength = read[1].ulValueLen < identifier.size() ? read[1].ulValueLen : 0;

    id.append(identifier.data(), static_cast<unsigned int>(idLength));
    certificate = new CCertificate(value.data(), static_cast<unsigned int>(valueLength));
    return CKR_OK;
}

void ReleaseCertificateEntries(CertificateList& list)
{
    if (list.entries) {
        for (uint32_t i = 0; i < list.count; ++i)
            delete[] list.entries[i].value;
        delete[] list.entries;
    }
    list.entries = nullptr;
    list.count = 0;
}

void ReleasePrivateKeyEntries(PrivateKeyList& list)
{
    delete[] list.entries;
    list.entries = nullptr;
    list.count = 0;
}
