// The Import command: a certificate file or a PKCS#12 container onto the
// selected token.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/DlgPassword.h"
#include "tokarium/app/SecretText.h"
#include "tokarium/app/TextConversion.h"
#include "tokarium/app/WaitCursor.h"
#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/CertificateLoader.h"
#include "tokarium/pkcs12/PKCS12.h"
#include "tokarium/token/CertificateFields.h"

#include <commdlg.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const wchar_t kFilters[] =
    L"PKCS#12 File (*.p12)\0*.p12\0PFX File (*.pfx)\0*.pfx\0Certificate File (*.cer)\0*.cer\0"
    L"Certificate File (*.der)\0*.der\0All Files (*.*)\0*.*\0";

enum { PATH_CHARACTERS = 520, READ_CHUNK = 1000 };

// Far beyond any certificate or PKCS#12 file. The byte array grows by each
// chunk it takes, so reading costs time with the square of the size: a file
// of 100 MB would hold the window for minutes.
const long long kLargestFile = 16LL * 1024 * 1024;

const char kInvalidCertificate[] = "Invalid certificate file";
const char kInvalidPKCS12[] = "Wrong password or invalid PKCS#12";

enum class FileRead { Done, NotOpened, TooLarge };

void ReportInvalidCertificate(HWND owner)
{
    theLog.LogError(0, "ImportCert", kInvalidCertificate);
    ShowErrorBox(owner, L"Invalid certificate file");
}

void ReportInvalidPKCS12(HWND owner)
{
    theLog.LogError(0, "ImportP12", kInvalidPKCS12);
    ShowErrorBox(owner, L"Wrong Password or Invalid PKCS#12 file");
}

bool ChooseImportFile(HWND owner, std::wstring& path)
{
    std::vector<wchar_t> name(PATH_CHARACTERS, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = PATH_CHARACTERS;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog))
        return false;
    path = name.data();
    return true;
}

// Appends the file's octets chunk by chunk. A file above kLargestFile is
// refused before it is read, or as soon as it outgrows the limit meanwhile.
FileRead ReadImportFile(const std::wstring& path, CByteArray& bytes)
{
    // The wide name: its ANSI form may name another file, or none.
    FILE* opened = _wfopen(path.c_str(), L"rb");
    if (!opened)
        return FileRead::NotOpened;
    std::unique_ptr<FILE, int (*)(FILE*)> file(opened, fclose);
    long long size = _fseeki64(opened, 0, SEEK_END) == 0 ? _ftelli64(opened) : -1;
    rewind(opened);
    if (size > kLargestFile)
        return FileRead::TooLarge;
    unsigned char chunk[READ_CHUNK];
    long long total = 0;
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, opened)) != 0;) {
        total += static_cast<long long>(got);
        if (total > kLargestFile)
            return FileRead::TooLarge;
        bytes.append(chunk, static_cast<uint32_t>(got));
    }
    return FileRead::Done;
}

// The name alone decides, wherever ".p12" or ".pfx" stands in it.
bool NamesPKCS12(std::string path)
{
    for (char& c : path)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return path.find(".p12") != std::string::npos || path.find(".pfx") != std::string::npos;
}

// The listing keeps its texts cut to the entry's fields; they are compared as kept.
bool SameListedText(const char* field, size_t fieldSize, const std::string& text)
{
    return text.compare(0, fieldSize - 1, field) == 0;
}

bool AlreadyListed(const CertificateList* list, const std::string& issuer, const std::string& serial)
{
    if (!list || !list->entries)
        return false;
    for (uint32_t i = 0; i < list->count; ++i) {
        const CertificateEntry& entry = list->entries[i];
        if (SameListedText(entry.issuer, sizeof entry.issuer, issuer)
            && SameListedText(entry.serial, sizeof entry.serial, serial))
            return true;
    }
    return false;
}

// Null, with the failure reported, when the file holds no certificate.
CCertificate* LoadCertificateFile(HWND owner, const CByteArray& file)
{
    try {
        return loadCertificate(file);
    } catch (CASN1Exception* e) {
        delete e;
    } catch (...) {
    }
    ReportInvalidCertificate(owner);
    return nullptr;
}

// False, with the failure reported, when the password or the container is wrong.
bool DecodeContainer(HWND owner, CPKCS12& pkcs12, const char* password)
{
    try {
        pkcs12.decode(password);
        return true;
    } catch (CASN1Exception* e) {
        delete e;
    } catch (...) {
    }
    ReportInvalidPKCS12(owner);
    return false;
}

}  // namespace

void CTokariumDlg::OnImportCommand()
{
    CommandScope command(*this);
    TokenRecord* token = GetSelectedToken();
    if (!token)
        return;
    std::wstring path;
    if (!ChooseImportFile(m_hWnd, path))
        return;
    bool failed = false;
    try {
        ImportFile(token, path);
    } catch (CASN1Exception* e) {
        delete e;
        failed = true;
    } catch (...) {
        failed = true;
    }
    if (failed) {
        theLog.LogError(0, "ImportCertificate", "Error");
        ShowErrorBox(m_hWnd, L"Unexpected error while importing the given file");
    }
}

void CTokariumDlg::ImportFile(TokenRecord* token, const std::wstring& path)
{
    bool pkcs12 = NamesPKCS12(ToNarrow(path));
    CByteArray file;
    switch (ReadImportFile(path, file)) {
    case FileRead::NotOpened:
        return;
    case FileRead::TooLarge:
        if (pkcs12)
            ReportInvalidPKCS12(m_hWnd);
        else
            ReportInvalidCertificate(m_hWnd);
        return;
    case FileRead::Done:
        break;
    }
    if (pkcs12)
        ImportPKCS12File(token, file);
    else
        ImportCertificateFile(token, file);
}

void CTokariumDlg::ImportCertificateFile(TokenRecord* token, const CByteArray& file)
{
    CWaitCursor wait;
    std::unique_ptr<CCertificate> certificate;
    {
        CByteStream stream(file);
        CByteArray octets;
        stream.readAll(octets);
        certificate.reset(LoadCertificateFile(m_hWnd, octets));
    }
    if (!certificate)
        return;
    std::string issuer = IssuerText(*certificate);
    std::string serial = SerialText(*certificate);
    if (AlreadyListed(token->certificates, issuer, serial)) {
        theLog.LogError(0, "ImportCert", "Certificate already present in the token");
        ShowErrorBox(m_hWnd, L"Certificate Already Imported");
        return;
    }
    CK_RV rv = m_cryptoki.ImportCertificate(token->session, *certificate, true);
    certificate.reset();
    if (rv != CKR_OK) {
        theLog.LogError(0, "ImportCertificate", "Error: %x", static_cast<unsigned>(rv));
        ShowErrorBox(m_hWnd, L"Unable to import the given certificate");
    }
    ListTokenObjects(token);
}

void CTokariumDlg::ImportPKCS12File(TokenRecord* token, const CByteArray& file)
{
    CDlgPassword prompt(this);
    if (prompt.DoModal() != IDOK)
        return;
    CNarrowSecret password(prompt.m_password.c_str());
    WipeText(prompt.m_password);
    CWaitCursor wait;
    CByteStream stream(file);
    CPKCS12 pkcs12(stream);
    if (!DecodeContainer(m_hWnd, pkcs12, password.c_str()))
        return;
    CK_RV rv = m_cryptoki.ImportPKCS12(token->session, pkcs12, m_autoUnpack != 0);
    if (rv != CKR_OK) {
        theLog.LogError(0, "ImportP12", "Error: %x", static_cast<unsigned>(rv));
        ShowErrorBox(m_hWnd, L"Unable to import P12");
    }
    if (m_autoRefresh != 0)
        ListTokenObjects(token);
}
