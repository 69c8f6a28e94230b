// Stands in for Shell_NotifyIconA: keeps a copy of every record passed to the
// shell and answers with the results a test chooses.
#pragma once
#include "heraldix/SystemTray.h"

#include <deque>
#include <string>
#include <vector>

struct ShellCall {
    DWORD message;
    DWORD size;
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    std::string tip;
    std::string info;
    std::string infoTitle;
    UINT timeout;
    DWORD infoFlags;
};

class ShellRecorder {
public:
    ShellRecorder() : previous_(g_shellNotifyIcon)
    {
        current_ = this;
        g_shellNotifyIcon = &ShellRecorder::Record;
    }
    ~ShellRecorder()
    {
        g_shellNotifyIcon = previous_;
        current_ = nullptr;
    }

    // The next calls answer these results in turn, then TRUE.
    void Answer(std::initializer_list<BOOL> results) { answers_.insert(answers_.end(), results); }
    // Every NIM_ADD answers FALSE from now on.
    void RefuseAdds(bool refuse) { refuseAdds_ = refuse; }

    std::vector<ShellCall> calls;
    void Clear() { calls.clear(); }

    std::vector<ShellCall> Balloons() const
    {
        std::vector<ShellCall> balloons;
        for (const ShellCall& call : calls)
            if (call.message == NIM_MODIFY && (call.flags & NIF_INFO))
                balloons.push_back(call);
        return balloons;
    }

private:
    static BOOL WINAPI Record(DWORD message, PNOTIFYICONDATAA data)
    {
        ShellRecorder* self = current_;
        ShellCall call = {message, data->cbSize, data->hWnd, data->uID, data->uFlags,
                          data->uCallbackMessage, data->hIcon,
                          std::string(data->szTip, strnlen(data->szTip, sizeof(data->szTip))),
                          std::string(data->szInfo, strnlen(data->szInfo, sizeof(data->szInfo))),
                          std::string(data->szInfoTitle, strnlen(data->szInfoTitle, sizeof(data->szInfoTitle))),
                          data->uTimeout, data->dwInfoFlags};
        self->calls.push_back(call);
        if (!self->answers_.empty()) {
            BOOL answer = self->answers_.front();
            self->answers_.pop_front();
            return answer;
        }
        if (message == NIM_ADD && self->refuseAdds_)
            return FALSE;
        return TRUE;
    }

    static inline ShellRecorder* current_ = nullptr;
    ShellNotifyIconFunction previous_;
    std::deque<BOOL> answers_;
    bool refuseAdds_ = false;
};

// Runs the thread's message loop for about `milliseconds`.
inline void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}
