#include "tokarium/app/AboutDlg.h"

#include "tokarium/app/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
