#pragma once
// One token shown in the main window's tree.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

struct CertificateList;

struct TokenRecord {
    uint32_t slotId;
    char readerName[260];
    HTREEITEM treeItem;
    uint32_t session;                // 0: none open
    CertificateList* certificates;   // of the last listing, owned; null when not listed
    bool loggedIn;
};
