#include "tokarium/app/ActivityLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CActivityLog theLog;

static time_t SystemClock() { return time(nullptr); }
time_t (*CActivityLog::s_clock)() = SystemClock;

CActivityLog::CActivityLog() : level(1)
{
    path[0] = '\0';
    message[0] = '\0';
}

CActivityLog::~CActivityLog() {}

#define QUORIN_LOG_AT(recordLevel)              \
    if ((recordLevel) > level) return;          \
    va_list args;                               \
    va_start(args, format);                     \
    Write(recordLevel, code, tag, format, args); \
    va_end(args)

void CActivityLog::LogError(uint32_t code, const char* tag, const char* format, ...) { QUORIN_LOG_AT(1); }
void CActivityLog::LogWarning(uint32_t code, const char* tag, const char* format, ...) { QUORIN_LOG_AT(2); }
void CActivityLog::LogInfo(uint32_t code, const char* tag, const char* format, ...) { QUORIN_LOG_AT(3); }
void CActivityLog::LogDebug(uint32_t code, const char* tag, const char* format, ...) { QUORIN_LOG_AT(4); }

#undef QUORIN_LOG_AT

void CActivityLog::SetPath(const char* newPath)
{
    if (!newPath) {
        path[0] = '\0';
        return;
    }
    snprintf(path, sizeof path, "%s", newPath);
}

void CActivityLog::SetLevel(int32_t newLevel) { level = newLevel; }

void CActivityLog::Write(int32_t recordLevel, uint32_t code, const char* tag, const char* format, va_list args)
{
    try {
        // vsnprintf never writes past the buffer; longer messages are cut.
        if (format)
            vsnprintf(message, sizeof message, format, args);
        else
            message[0] = '\0';
        if (path[0] == '\0')
            return;
        FILE* file = fopen(path, "a+t");
        if (!file)
            return;
        time_t now = s_clock();
        char stamp[25] = "";
        if (const struct tm* local = localtime(&now))
            FormatAsctime(*local, stamp);
        fprintf(file, "[%s], %d, %X, %s, %s\n", stamp, static_cast<int>(recordLevel),
                static_cast<unsigned>(code), tag ? tag : "", message);
        fclose(file);
    } catch (...) {
        // Logging never fails its caller.
    }
}

void FormatAsctime(const struct tm& t, char out[25])
{
    static const char weekdays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char months[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* weekday = (t.tm_wday >= 0 && t.tm_wday < 7) ? weekdays[t.tm_wday] : "???";
    const char* month = (t.tm_mon >= 0 && t.tm_mon < 12) ? months[t.tm_mon] : "???";
    snprintf(out, 25, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", weekday, month, t.tm_mday,
             t.tm_hour, t.tm_min, t.tm_sec, 1900 + t.tm_year);
}

bool MakeLogPath(const char* appdata, char* out, size_t outSize)
{
    static const char fileName[] = "\\tokarium.log";
    if (outSize > 0)
        out[0] = '\0';
    if (!appdata || appdata[0] == '\0')
        return false;
    size_t length = strlen(appdata) + strlen(fileName);
    if (length >= CActivityLog::PATH_SIZE || length >= outSize)
        return false;
    snprintf(out, outSize, "%s%s", appdata, fileName);
    return true;
}
