#pragma once
// The activity log of tokarium: one line per record, appended to a file that is
// opened and closed for every record.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <ctime>

class CActivityLog {
public:
    enum { PATH_SIZE = 260, MESSAGE_SIZE = 9000 };

    CActivityLog();
    virtual ~CActivityLog();

    virtual void LogInfo(uint32_t code, const char* tag, const char* format, ...);
    virtual void LogWarning(uint32_t code, const char* tag, const char* format, ...);
    virtual void LogError(uint32_t code, const char* tag, const char* format, ...);
    virtual void LogDebug(uint32_t code, const char* tag, const char* format, ...);
    virtual void SetPath(const char* path);
    virtual void SetLevel(int32_t level);

    const char* GetPath() const { return path; }
    int32_t GetLevel() const { return level; }

    // The clock the records are stamped with; tests put a fixed one here.
    static time_t (*s_clock)();

private:
    void Write(int32_t recordLevel, uint32_t code, const char* tag, const char* format, va_list args);

    char path[PATH_SIZE];
    int32_t level;
    char message[MESSAGE_SIZE];
};

extern CActivityLog theLog;

// Formats t as the 24 characters of the C library's asctime, without the newline.
void FormatAsctime(const struct tm& t, char out[25]);

// Builds "<appdata>\tokarium.log". False, and no path, when appdata is missing
// or the result would not fit in a path of 259 characters.
bool MakeLogPath(const char* appdata, char* out, size_t outSize);
