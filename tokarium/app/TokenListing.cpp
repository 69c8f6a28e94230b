// The listing of a token's certificates and key pairs under its branch.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/TextConversion.h"
#include "tokarium/app/WaitCursor.h"
#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/Certificate.h"

#include <map>

namespace {

const char kCommonName[] = "2.5.4.3";

// Stands for the parser's exceptions in the log: they carry no return value.
const unsigned kParserRejected = CKR_GENERAL_ERROR;

struct CertificateView {
    bool parsed = false;
    bool authority = false;
    std::string name;
};

CertificateView ReadCertificate(const CertificateEntry& entry)
{
    CertificateView view;
    if (!entry.value)
        return view;
    try {
        CCertificate certificate(entry.value, entry.valueLength);
        view.authority = certificate.isCACertificate();
        view.name = certificate.getSubject().getAttribute(kCommonName);
        view.parsed = true;
    } catch (CASN1Exception* e) {
        delete e;
    } catch (...) {
    }
    return view;
}

// GetCertificates lets the parser's exceptions through; the entries filled
// before the rejected value stay usable.
CK_RV ReadCertificates(CCryptoki& cryptoki, uint32_t session, CertificateList& list)
{
    try {
        return cryptoki.GetCertificates(session, list);
    } catch (CASN1Exception* e) {
        delete e;
    } catch (...) {
    }
    theLog.LogError(0, "GetCertificates.", "Error: %x", kParserRejected);
    return CKR_OK;
}

}  // namespace

void CTokariumDlg::DeleteChildren(HTREEITEM item)
{
    for (HTREEITEM child = m_tree.GetChildItem(item); child; child = m_tree.GetChildItem(item))
        m_tree.DeleteItem(child);
}

void CTokariumDlg::ListTokenObjects(TokenRecord* token)
{
    CWaitCursor wait;
    DeleteChildren(token->treeItem);
    HTREEITEM userFolder = m_tree.InsertItem(L"User Certificates", IMAGE_FOLDER, IMAGE_FOLDER,
                                             token->treeItem, TVI_LAST);
    HTREEITEM caFolder = m_tree.InsertItem(L"CA Certificates", IMAGE_FOLDER, IMAGE_FOLDER,
                                           token->treeItem, TVI_LAST);
    m_tree.SetItemData(userFolder, 0);
    m_tree.SetItemData(caFolder, 0);
    FillFolders(token, userFolder, caFolder);
    wait.Restore();
    PostMessageW(WM_SHOW_TREE_ITEM, reinterpret_cast<WPARAM>(userFolder));
}

void CTokariumDlg::FillFolders(TokenRecord* token, HTREEITEM userFolder, HTREEITEM caFolder)
{
    FreeCertificateList(token->certificates);
    token->certificates = new CertificateList();
    CK_RV rv = ReadCertificates(m_cryptoki, token->session, *token->certificates);
    if (rv != 0) {
        theLog.LogError(0, "GetCertificates.", "Error: %x", static_cast<unsigned>(rv));
        FreeCertificateList(token->certificates);
        token->certificates = nullptr;
        return;
    }
    PrivateKeyList keys = {};
    rv = m_cryptoki.GetPrivateKeys(token->session, keys);
    if (rv != 0) {
        theLog.LogError(0, "GetPrivateKeys.", "Error: %x", static_cast<unsigned>(rv));
        ReleasePrivateKeyEntries(keys);
        FreeCertificateList(token->certificates);
        token->certificates = nullptr;
        return;
    }
    std::map<std::string, const PrivateKeyEntry*> keysByLabel;
    for (uint32_t k = 0; k < keys.count; ++k)
        keysByLabel.insert(std::make_pair(std::string(keys.entries[k].label), &keys.entries[k]));

    const CertificateList& list = *token->certificates;
    for (uint32_t i = 0; i < list.count; ++i) {
        CertificateView view = ReadCertificate(list.entries[i]);
        // A value the parser rejects is not shown; the others keep their own index.
        if (!view.parsed)
            continue;
        std::wstring name = ToWide(view.name.c_str());
        HTREEITEM item;
        if (view.authority) {
            item = m_tree.InsertItem(name.c_str(), IMAGE_CA_CERTIFICATE, IMAGE_CA_CERTIFICATE, caFolder, TVI_LAST);
            m_tree.Expand(caFolder, TVE_EXPAND);
        } else {
            item = m_tree.InsertItem(name.c_str(), IMAGE_USER_CERTIFICATE, IMAGE_USER_CERTIFICATE, userFolder,
                                     TVI_LAST);
            auto key = keysByLabel.find(list.entries[i].label);
            if (key != keysByLabel.end()) {
                keysByLabel.erase(key);
                HTREEITEM pair = m_tree.InsertItem(L"RSA Key Pair", IMAGE_KEY_PAIR, IMAGE_KEY_PAIR, item, TVI_LAST);
                m_tree.SetItemData(pair, 0);
            }
            m_tree.Expand(userFolder, TVE_EXPAND);
        }
        m_tree.SetItemData(item, i);
    }
    for (const auto& key : keysByLabel) {
        HTREEITEM pair = m_tree.InsertItem(L"RSA Key Pair", IMAGE_KEY_PAIR, IMAGE_KEY_PAIR, token->treeItem, TVI_LAST);
        m_tree.SetItemData(pair, key.second->handle);
    }
    ReleasePrivateKeyEntries(keys);
}
