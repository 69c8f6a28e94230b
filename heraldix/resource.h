// Resource ids of heraldix.
#pragma once

#define IDI_FILE                131
#define IDI_FRAME1              132
#define IDI_FRAME2              133
#define IDR_TRAY_MENU           134
#define IDI_IDLE                135

#define IDM_EXIT                32771
#define IDM_START_MANAGER       32772

#define IDS_TITLE               10001
#define IDS_EXIT                10002
#define IDS_NOTIFICATION_ACTIVE 10003
#define IDS_KEYGEN_RUNNING      10004
#define IDS_KEYGEN_DONE         10005
#define IDS_IMPORT_RUNNING      10006
#define IDS_IMPORT_DONE         10007
#define IDS_CERT_EXPIRED        10008
#define IDS_CERT_EXPIRING       10009
#define IDS_NEW_DEVICE          10010
#define IDS_STORE_UPDATING      10011
#define IDS_STORE_UPDATED       10012
