// The details list below the tree and the command availability by selection.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/TextConversion.h"
#include "tokarium/app/WaitCursor.h"
#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/Certificate.h"

#include <cstdio>
#include <vector>

namespace {

std::string Trimmed(const unsigned char* field, size_t size)
{
    std::string text(reinterpret_cast<const char*>(field), size);
    size_t end = text.find_last_not_of(" \n\r\t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

struct StatusFlags {
    CK_FLAGS countLow, locked, finalTry, toBeChanged;
};
const StatusFlags kUserPin = {CKF_USER_PIN_COUNT_LOW, CKF_USER_PIN_LOCKED, CKF_USER_PIN_FINAL_TRY,
                              CKF_USER_PIN_TO_BE_CHANGED};
const StatusFlags kSoPin = {CKF_SO_PIN_COUNT_LOW, CKF_SO_PIN_LOCKED, CKF_SO_PIN_FINAL_TRY,
                            CKF_SO_PIN_TO_BE_CHANGED};

// The first flag set, in this order, decides.
const char* StatusWord(CK_FLAGS flags, const StatusFlags& which)
{
    if (flags & which.countLow)
        return "Two or more attempts left";
    if (flags & which.locked)
        return "Locked";
    if (flags & which.finalTry)
        return "Last attempt left";
    if (flags & which.toBeChanged)
        return "Need to be changed";
    return "Ok";
}

// YYMMDDhhmmssZ cut by position into YY/MM/DD hh:mm:ss.
std::string FormatTime(const std::string& raw)
{
    static const char* const separators[] = {"", "/", "/", " ", ":", ":"};
    std::string text;
    for (size_t piece = 0; piece < 6; ++piece) {
        text += separators[piece];
        if (2 * piece < raw.size())
            text += raw.substr(2 * piece, 2);
    }
    return text;
}

std::string Hex(const CByteArray& content)
{
    CByteArray copy(content);
    return copy.getSize() ? copy.toHexString() : std::string();
}

}  // namespace

void CTokariumDlg::AddDetailsLine(const std::string& line) { m_details.AddString(ToWide(line.c_str()).c_str()); }

void CTokariumDlg::OnSelectionChanged()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    if (!item)
        return;
    DWORD_PTR data = m_tree.GetItemData(item);
    switch (ItemImage(item)) {
    case IMAGE_ROOT:
        m_details.ResetContent();
        DisableAllButtons();
        m_btnResetDevice.SetWindowTextW(L"Reset Device");
        break;
    case IMAGE_TOKEN:
        m_details.ResetContent();
        ShowTokenDetails(reinterpret_cast<TokenRecord*>(data));
        m_btnViewDetails.EnableWindow(FALSE);
        m_btnResetDevice.SetWindowTextW(L"Reset Device");
        break;
    case IMAGE_FOLDER:
        m_details.ResetContent();
        EnableForSelection(false);
        m_btnExport.EnableWindow(FALSE);
        m_btnViewDetails.EnableWindow(FALSE);
        m_btnResetDevice.SetWindowTextW(L"Delete Folder");
        break;
    case IMAGE_CA_CERTIFICATE:
    case IMAGE_USER_CERTIFICATE:
        m_details.ResetContent();
        ShowCertificateDetails(TokenOfItem(item), data);
        EnableForSelection(false);
        m_btnResetDevice.SetWindowTextW(L"Delete");
        break;
    case IMAGE_KEY_PAIR:
        m_details.ResetContent();
        if (data == 0)
            ShowKeyPairDetails(item);
        EnableForSelection(true);
        m_btnResetDevice.SetWindowTextW(L"Delete");
        break;
    default:
        break;
    }
}

// Every command but Unlock PIN; a key pair has no Export, Import, Reset Device
// or View Details.
void CTokariumDlg::EnableForSelection(bool keyPair)
{
    CButton* always[] = {&m_btnLogin, &m_btnChangePIN, &m_btnChangePUK, &m_btnChangeTokenName,
                         &m_btnRefresh, &m_btnRegisterCertificates};
    for (CButton* button : always)
        button->EnableWindow(TRUE);
    CButton* notForKeys[] = {&m_btnExport, &m_btnImport, &m_btnResetDevice, &m_btnViewDetails};
    for (CButton* button : notForKeys)
        button->EnableWindow(keyPair ? FALSE : TRUE);
}

void CTokariumDlg::ShowCertificateDetails(TokenRecord* token, DWORD_PTR index)
{
    if (!token || !token->certificates || index >= token->certificates->count)
        return;
    const CertificateEntry& entry = token->certificates->entries[index];
    AddDetailsLine(std::string("Subject:\t") + entry.subject);
    AddDetailsLine(std::string("Issuer:\t") + entry.issuer);
    AddDetailsLine(std::string("Serial Number:\t") + entry.serial);
    AddDetailsLine("Valid From:\t" + FormatTime(entry.notBefore));
    AddDetailsLine("Valid to:\t" + FormatTime(entry.notAfter));
}

void CTokariumDlg::ShowKeyPairDetails(HTREEITEM keyPair)
{
    HTREEITEM certificateItem = m_tree.GetParentItem(keyPair);
    TokenRecord* token = TokenOfItem(certificateItem);
    DWORD_PTR index = m_tree.GetItemData(certificateItem);
    if (!token || !token->certificates || index >= token->certificates->count)
        return;
    const CertificateEntry& entry = token->certificates->entries[index];
    if (!entry.value)
        return;
    std::vector<std::string> lines;
    try {
        CCertificate certificate(entry.value, entry.valueLength);
        CASN1BitString bits = certificate.getTBSCertificate().getSubjectPublicKeyInfo().getPublicKey();
        const CByteArray& content = bits.getContent();
        if (content.getSize() < 1)
            return;
        // The first octet counts the unused bits.
        CByteStream stream(content.getData() + 1, content.getSize() - 1);
        CRSAPublicKey key(stream);
        CASN1Integer modulus = key.getModulus();
        CASN1Integer exponent = key.getPublicExponent();
        lines.push_back("Modulus:\t" + Hex(modulus.getContent()));
        lines.push_back("Public Exponent:\t" + Hex(exponent.getContent()));
        char length[64];
        snprintf(length, sizeof length, "Length:\t%d", static_cast<int>(8 * modulus.getContentLength()));
        lines.push_back(length);
    } catch (CASN1Exception* e) {
        delete e;
        return;
    } catch (...) {
        return;
    }
    for (const std::string& line : lines)
        AddDetailsLine(line);
}

void CTokariumDlg::ShowTokenDetails(TokenRecord* token)
{
    if (!token)
        return;
    CWaitCursor wait;
    m_details.ResetContent();
    CK_TOKEN_INFO info;
    CK_RV rv = m_cryptoki.GetTokenInfo(token->slotId, info);
    if (rv != 0) {
        theLog.LogError(0, "GetTokenInfo.", "Error: %x", static_cast<unsigned>(rv));
        return;
    }
    AddDetailsLine("Description:\t" + Trimmed(info.label, sizeof info.label));
    AddDetailsLine("Serial Number:\t" + Trimmed(info.serialNumber, sizeof info.serialNumber));
    AddDetailsLine("Manufacturer:\t" + Trimmed(info.manufacturerID, sizeof info.manufacturerID));
    AddDetailsLine("Model:\t" + Trimmed(info.model, sizeof info.model));
    m_btnUnlockPIN.EnableWindow(FALSE);
    const char* pinStatus = StatusWord(info.flags, kUserPin);
    AddDetailsLine(std::string("PIN Status:\t") + pinStatus);
    if (std::string(pinStatus) == "Locked")
        m_btnUnlockPIN.EnableWindow(TRUE);
    AddDetailsLine(std::string("PUK Status:\t") + StatusWord(info.flags, kSoPin));

    m_btnLogin.SetWindowTextW(token->loggedIn ? L"Logout" : L"Login");
    m_btnLogin.EnableWindow(TRUE);
    m_btnChangePIN.EnableWindow(TRUE);
    m_btnChangePUK.EnableWindow(TRUE);
    m_btnRegisterCertificates.EnableWindow(TRUE);
    m_btnExport.EnableWindow(FALSE);
    BOOL loggedIn = token->loggedIn ? TRUE : FALSE;
    m_btnChangeTokenName.EnableWindow(loggedIn);
    m_btnImport.EnableWindow(loggedIn);
    m_btnRefresh.EnableWindow(loggedIn);
    m_btnResetDevice.EnableWindow(loggedIn);
}
