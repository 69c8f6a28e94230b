#pragma once
// What the token tests share: the activity log read back from its file, the
// recording module, paths of the modules and fixture files.

#include "platform/cryptoki/cryptoki.h"
#include "tests/token/recorder/Recorder.h"
#include "tokarium/token/ModuleLoader.h"

#include <string>
#include <vector>

struct LogRecord {
    int level;
    std::string code;
    std::string tag;
    std::string message;
};
bool operator==(const LogRecord& a, const LogRecord& b);
std::ostream& operator<<(std::ostream& out, const LogRecord& record);

// Points theLog at a fresh file (threshold 4) and reads it back.
class LogCapture {
public:
    explicit LogCapture(const std::string& name);
    ~LogCapture();
    std::vector<LogRecord> Records() const;
    // The records of the token layer (tags "CCryptoki::..."), in order.
    std::vector<LogRecord> Cryptoki() const;
    // The records with this tag, in order.
    std::vector<LogRecord> Tagged(const std::string& tag) const;
    void Clear() const;
    const std::string& Path() const { return path; }

private:
    std::string path;
};

// The recording module, kept loaded for the test's whole life so that its
// records outlive CCryptoki::Detach.
class RecorderAccess {
public:
    RecorderAccess();
    ~RecorderAccess();
    static std::string Path();
    // Makes the recorder forward to this module from its next C_GetFunctionList.
    static void Target(const std::string& modulePath);
    std::vector<std::string> Calls() const;
    // The calls whose text starts with prefix.
    std::vector<std::string> Calls(const std::string& prefix) const;
    void Clear() const { clear(); }
    void Fail(const char* function, CK_RV rv, int times) const { fail(function, rv, times); }
    void Complete(bool on) const { complete(on ? 1 : 0); }

private:
    ModuleHandle module;
    RecorderCallCountFn count;
    RecorderCallFn call;
    RecorderClearFn clear;
    RecorderFailFn fail;
    RecorderCompleteFn complete;
};

// A build path as the platform's loader and C runtime take it.
std::string NativePath(const std::string& unixPath);
std::string FixturePath(const std::string& name);

std::string Hex(const void* data, size_t length);
std::string Hex(const std::string& text);
std::string Hex(const std::vector<unsigned char>& bytes);
// Hex of a CK_ULONG as the module sees it in a template.
std::string UlongHex(CK_ULONG value);
std::string Lower(std::string text);
std::string Upper(std::string text);
void SetEnvironment(const char* name, const std::string& value);
std::string TextField(const CK_UTF8CHAR* field, size_t size);
