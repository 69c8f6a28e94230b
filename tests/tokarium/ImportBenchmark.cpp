// import_benchmark [MEGABYTES]: what the Import command's reading and decoding
// cost for files far larger than any certificate or PKCS#12 container: the
// file read in 1000-octet chunks appended to a CByteArray, the stream copied
// into a second array, loadCertificate and the PKCS#12 parse and decode of
// that content. Sizes double from 1 MB up to MEGABYTES (default 16). Figures
// only; nothing is judged.
#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/CertificateLoader.h"
#include "tokarium/pkcs12/PKCS12.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs the step and tells how it ended: "ok", or the kind of exception.
std::string Outcome(const std::function<void()>& step)
{
    try {
        step();
        return "ok";
    } catch (CASN1Exception* e) {
        delete e;
        return "ASN.1 exception";
    } catch (int code) {
        return "int " + std::to_string(code);
    } catch (long code) {
        return "long " + std::to_string(code);
    } catch (...) {
        return "other exception";
    }
}

// A file of this content: zeros, Base64 text, or a DER SEQUENCE header that
// claims the rest of the file.
std::vector<unsigned char> Content(const std::string& kind, size_t size)
{
    std::vector<unsigned char> bytes(size, 0);
    if (kind == "base64")
        memset(bytes.data(), 'A', size);
    if (kind == "der" && size > 6) {
        uint32_t length = static_cast<uint32_t>(size - 6);
        const unsigned char header[] = {0x30, 0x84, static_cast<unsigned char>(length >> 24),
                                        static_cast<unsigned char>(length >> 16),
                                        static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
        memcpy(bytes.data(), header, sizeof header);
        bytes[6] = 0x30;  // a first child that claims nothing
    }
    return bytes;
}

void Measure(const std::string& path, const std::string& kind, size_t megabytes)
{
    size_t size = megabytes * 1000 * 1000;
    {
        std::vector<unsigned char> bytes = Content(kind, size);
        FILE* out = fopen(path.c_str(), "wb");
        if (!out || fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
            fprintf(stderr, "import_benchmark: cannot write %s\n", path.c_str());
            exit(1);
        }
        fclose(out);
    }

    // As the command reads: fread of 1000 octets, appended until nothing comes.
    Clock::time_point start = Clock::now();
    CByteArray file;
    std::string read = Outcome([&] {
        FILE* in = fopen(path.c_str(), "rb");
        unsigned char chunk[1000];
        for (size_t got; (got = fread(chunk, 1, sizeof chunk, in)) != 0;)
            file.append(chunk, static_cast<uint32_t>(got));
        fclose(in);
    });
    double readMs = MillisecondsSince(start);

    start = Clock::now();
    CByteArray copy;
    std::string copied = Outcome([&] {
        CByteStream stream(file);
        stream.readAll(copy);
    });
    double copyMs = MillisecondsSince(start);

    start = Clock::now();
    std::string loaded = Outcome([&] { delete loadCertificate(copy); });
    double loadMs = MillisecondsSince(start);

    start = Clock::now();
    std::string decoded = Outcome([&] {
        CByteStream stream(file);
        CPKCS12 pkcs12(stream);
        pkcs12.decode("password");
    });
    double decodeMs = MillisecondsSince(start);

    printf("%-7s %4zu MB  read+append %9.1f ms (%s)  readAll %9.1f ms (%s)  loadCertificate %8.1f ms (%s)"
           "  PKCS#12 %8.1f ms (%s)\n",
           kind.c_str(), megabytes, readMs, read.c_str(), copyMs, copied.c_str(), loadMs, loaded.c_str(), decodeMs,
           decoded.c_str());
    fflush(stdout);
    remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    size_t most = argc > 1 ? strtoul(argv[1], nullptr, 10) : 16;
    if (most < 1)
        most = 1;
    const char* temp = getenv("TEMP");
    if (!temp)
        temp = getenv("TMPDIR");
    std::string path = std::string(temp ? temp : ".") + "/import-benchmark.bin";
    for (size_t megabytes = 1; megabytes <= most; megabytes *= 2)
        for (const char* kind : {"zeros", "base64", "der"})
            Measure(path, kind, megabytes);
    if ((most & (most - 1)) != 0)
        for (const char* kind : {"zeros", "base64", "der"})
            Measure(path, kind, most);
    return 0;
}
