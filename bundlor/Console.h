// Where bundlor's messages go: progress to the output stream, failures to the
// error stream.
#pragma once

#include <string>

class CConsole {
public:
    virtual ~CConsole() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
};

// The process's standard output and standard error, flushed after each message
// so that the two streams keep their order on one console.
class CStandardConsole : public CConsole {
public:
    void Out(const std::string& text) override;
    void Err(const std::string& text) override;
};
