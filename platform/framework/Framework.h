#pragma once
// The dialog framework in one include: application object, windows, dialogs
// and control wrappers.

#include "platform/framework/Controls.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/Wnd.h"
