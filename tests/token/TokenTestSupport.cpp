#include "tests/token/TokenTestSupport.h"

#include "tokarium/app/ActivityLog.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <stdexcept>

bool operator==(const LogRecord& a, const LogRecord& b)
{
    return a.level == b.level && a.code == b.code && a.tag == b.tag && a.message == b.message;
}

std::ostream& operator<<(std::ostream& out, const LogRecord& record)
{
    return out << "{" << record.level << ", " << record.code << ", \"" << record.tag << "\", \""
               << record.message << "\"}";
}

LogCapture::LogCapture(const std::string& name) : path("token_" + name + ".log")
{
    std::remove(path.c_str());
    theLog.SetPath(path.c_str());
    theLog.SetLevel(4);
}

LogCapture::~LogCapture()
{
    theLog.SetPath("");
    std::remove(path.c_str());
}

void LogCapture::Clear() const
{
    std::remove(path.c_str());
}

// "[24-character time], level, code, tag, message"; the message may hold ", ".
std::vector<LogRecord> LogCapture::Records() const
{
    std::vector<LogRecord> records;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 28 || line[0] != '[' || line.compare(25, 3, "], ") != 0)
            throw std::runtime_error("not a log record: " + line);
        std::string rest = line.substr(28);
        std::string fields[3];
        for (std::string& field : fields) {
            size_t comma = rest.find(", ");
            if (comma == std::string::npos)
                throw std::runtime_error("not a log record: " + line);
            field = rest.substr(0, comma);
            rest = rest.substr(comma + 2);
        }
        records.push_back({std::atoi(fields[0].c_str()), fields[1], fields[2], rest});
    }
    return records;
}

std::vector<LogRecord> LogCapture::Cryptoki() const
{
    std::vector<LogRecord> ours;
    for (const LogRecord& record : Records())
        if (record.tag.compare(0, 11, "CCryptoki::") == 0)
            ours.push_back(record);
    return ours;
}

std::vector<LogRecord> LogCapture::Tagged(const std::string& tag) const
{
    std::vector<LogRecord> tagged;
    for (const LogRecord& record : Records())
        if (record.tag == tag)
            tagged.push_back(record);
    return tagged;
}

RecorderAccess::RecorderAccess()
{
    uint32_t error = 0;
    module = OpenModule(Path().c_str(), &error);
    if (!module)
        throw std::runtime_error("recording module not loadable: " + Path());
    count = reinterpret_cast<RecorderCallCountFn>(FindModuleEntry(module, "RecorderCallCount", &error));
    call = reinterpret_cast<RecorderCallFn>(FindModuleEntry(module, "RecorderCall", &error));
    clear = reinterpret_cast<RecorderClearFn>(FindModuleEntry(module, "RecorderClear", &error));
    fail = reinterpret_cast<RecorderFailFn>(FindModuleEntry(module, "RecorderFail", &error));
    complete = reinterpret_cast<RecorderCompleteFn>(FindModuleEntry(module, "RecorderComplete", &error));
    if (!count || !call || !clear || !fail || !complete)
        throw std::runtime_error("recording module lacks its test entries");
    clear();
    complete(0);
}

RecorderAccess::~RecorderAccess()
{
    clear();
    complete(0);
    CloseModule(module);
}

std::string RecorderAccess::Path()
{
    return NativePath(TOKEN_TEST_RECORDER_MODULE);
}

void RecorderAccess::Target(const std::string& modulePath)
{
    SetEnvironment("QUORIN_RECORDER_TARGET", modulePath);
}

std::vector<std::string> RecorderAccess::Calls() const
{
    std::vector<std::string> calls;
    for (int i = 0; i < count(); ++i)
        calls.push_back(call(i));
    return calls;
}

std::vector<std::string> RecorderAccess::Calls(const std::string& prefix) const
{
    std::vector<std::string> calls;
    for (const std::string& c : Calls())
        if (c.compare(0, prefix.size(), prefix) == 0)
            calls.push_back(c);
    return calls;
}

std::string NativePath(const std::string& unixPath)
{
#ifdef _WIN32
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
#else
    return unixPath;
#endif
}

std::string FixturePath(const std::string& name)
{
    return NativePath(std::string(TOKEN_TEST_FIXTURES) + "/" + name);
}

std::string Hex(const void* data, size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned char b = static_cast<const unsigned char*>(data)[i];
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string Hex(const std::string& text) { return Hex(text.data(), text.size()); }
std::string Hex(const std::vector<unsigned char>& bytes) { return Hex(bytes.data(), bytes.size()); }
std::string UlongHex(CK_ULONG value) { return Hex(&value, sizeof value); }

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void SetEnvironment(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

std::string TextField(const CK_UTF8CHAR* field, size_t size)
{
    std::string text(reinterpret_cast<const char*>(field), size);
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? "" : text.substr(0, end + 1);
}
