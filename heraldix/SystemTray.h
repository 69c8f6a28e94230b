// CSystemTray: one icon in the taskbar's notification area, its animation and
// its balloons. Its own hidden window serves the animation timer and puts the
// icon back after the taskbar is re-created or the work area changes.
#pragma once
#include "platform/framework/Wnd.h"

#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>

// Mouse actions on the icon reach the owner window with this message.
constexpr UINT WM_TRAY_CALLBACK = WM_APP + 1;

// Every call to the shell goes through here; tests put a recorder in its place.
using ShellNotifyIconFunction = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);
extern ShellNotifyIconFunction g_shellNotifyIcon;

// The icon record as the shell knows it without the balloon-icon handle
// (504 bytes in the 32-bit build).
constexpr DWORD NOTIFY_ICON_RECORD_SIZE = offsetof(NOTIFYICONDATAA, hBalloonIcon);

class CSystemTray : public CWnd {
public:
    static constexpr UINT ANIMATION_TIMER_ID = 4567;
    static constexpr UINT ANIMATION_PERIOD_MS = 80;
    static constexpr UINT MAX_BALLOON_SECONDS = 30;
    static UINT maxTooltipLength;

    CSystemTray(HWND owner, const char* tooltip, HICON icon);
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    bool Install(HWND owner, const char* tooltip, HICON icon);
    bool Uninstall();
    bool Reinstall();
    bool ChangeIcon(HICON icon);
    bool ChangeTooltip(const char* text);
    std::string ReadTooltip() const;
    bool PopupBalloon(const char* text, const char* title, DWORD iconKind, UINT seconds);
    bool LoadFrames(HICON first, HICON second);
    bool StartFrames();
    bool StopFrames();

    // Handlers of the component's own window.
    LRESULT OnTaskbarRecreated();
    void OnWorkAreaChange(UINT setting);
    bool NextFrame();

    const NOTIFYICONDATAA& Record() const { return notifyData; }
    bool IsTrayEnabled() const { return trayEnabled; }
    bool IsIconHidden() const { return iconHidden; }
    bool IsIconRemoved() const { return iconRemoved; }
    bool IsReinstallPending() const { return reinstallPending; }
    bool AreBalloonsSupported() const { return balloonsSupported; }
    UINT_PTR FrameTimer() const { return frameTimer; }
    int FrameIndex() const { return frameIndex; }
    size_t FrameCount() const { return frameIcons.size(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool CreateOwnWindow();
    bool AddIcon(UINT flags);

    NOTIFYICONDATAA notifyData;
    bool trayEnabled;
    bool iconHidden;
    bool iconRemoved;
    bool reinstallPending;
    bool balloonsSupported;
    std::vector<HICON> frameIcons;
    UINT_PTR frameTimer;
    int frameIndex;
    HICON savedIcon;
    UINT creationFlags;
};
