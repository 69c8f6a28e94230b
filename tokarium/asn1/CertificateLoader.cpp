#include "tokarium/asn1/CertificateLoader.h"

#include "tokarium/asn1/Base64.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct FreeDeleter {
    void operator()(unsigned char* p) const { free(p); }
};

[[noreturn]] void throwNotACertificate() { throw int(NOT_A_CERTIFICATE_FILE); }

// A SEQUENCE whose length needs the long form: at least 128 octets of content.
bool startsWithLongSequence(const unsigned char* octets, size_t count)
{
    return count >= 2 && octets[0] == 0x30 && (octets[1] & 0x80) != 0;
}

// The Base64 body of a text: after the header line when there is one, up to
// the footer's first hyphen, with the line ends taken out.
std::string base64Body(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    if (text.find("--") != std::string::npos) {
        size_t lineEnd = text.find_first_of("\r\n");
        if (lineEnd == std::string::npos)
            return std::string();
        begin = lineEnd + 1;
        size_t hyphen = text.find('-', begin);
        if (hyphen != std::string::npos)
            end = hyphen;
    }
    std::string joined;
    joined.reserve(end - begin);
    for (size_t i = begin; i < end; ++i)
        if (text[i] != '\r' && text[i] != '\n')
            joined += text[i];
    return joined;
}

CCertificate* loadDer(const CByteArray& file)
{
    if (!startsWithLongSequence(file.getData(), file.getSize()))
        throwNotACertificate();
    CByteStream stream(file);
    return new CCertificate(stream);
}

CCertificate* loadText(const CByteArray& file)
{
    // The text ends at its first NUL, as a C string would.
    const char* chars = reinterpret_cast<const char*>(file.getData());
    size_t length = file.getSize() ? strnlen(chars, file.getSize()) : 0;
    std::string body = base64Body(std::string(chars ? chars : "", length));
    size_t count = 0;
    std::unique_ptr<unsigned char, FreeDeleter> decoded(base64DecodeAlloc(body.c_str(), &count));
    if (!decoded || !startsWithLongSequence(decoded.get(), count))
        throwNotACertificate();
    CByteStream stream(decoded.get(), static_cast<uint32_t>(count));
    return new CCertificate(stream);
}

}  // namespace

CCertificate* loadCertificate(const CByteArray& file)
{
    if (file.getSize() != 0 && file.getData()[0] == 0x30)
        return loadDer(file);
    return loadText(file);
}
