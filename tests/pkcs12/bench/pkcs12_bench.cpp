// Prints our throughput and decode time beside OpenSSL's for the same work, with
// the ratios. Nothing is asserted: the figures are for reading.
//   pkcs12_bench [p12-file [password]]
#include "tokarium/app/ActivityLog.h"
#include "tokarium/pkcs12/DES3.h"
#include "tokarium/pkcs12/PKCS12.h"
#include "tokarium/pkcs12/RC2.h"
#include "tokarium/pkcs12/SHA1.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// CPU time, as openssl speed measures by default: the machine is shared, and
// wall-clock figures would mostly measure the other processes.
double cpuSeconds(int who)
{
    struct rusage usage;
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

const uint32_t bufferSize = 8192;

// Runs work repeatedly for about a CPU second; returns CPU seconds per run.
double timePerRun(const std::function<void()>& work)
{
    work();  // warm up
    long runs = 0;
    double start = cpuSeconds(RUSAGE_SELF);
    double elapsed = 0;
    do {
        work();
        runs++;
        elapsed = cpuSeconds(RUSAGE_SELF) - start;
    } while (elapsed < 1.0);
    return elapsed / double(runs);
}

std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        out += line;
    pclose(pipe);
    return out;
}

// Bytes per second from `openssl speed -mr` ("+F:n:name:value"); 0 when unknown.
double opensslSpeed(const std::string& arguments)
{
    std::string out = run("openssl speed -mr -seconds 1 -bytes 8192 " + arguments + " 2>/dev/null");
    size_t at = out.find("+F:");
    if (at == std::string::npos)
        return 0;
    size_t value = out.rfind(':', out.find('\n', at));
    return std::atof(out.c_str() + value + 1);
}

double secondsOfCommand(const std::string& command, int times)
{
    double start = cpuSeconds(RUSAGE_CHILDREN);
    for (int i = 0; i < times; i++)
        run(command + " >/dev/null 2>&1");
    return (cpuSeconds(RUSAGE_CHILDREN) - start) / times;
}

void printThroughput(const char* what, double oursPerSecond, double opensslPerSecond)
{
    std::printf("%-28s %10.1f MB/s %10.1f MB/s", what, oursPerSecond / 1e6, opensslPerSecond / 1e6);
    if (opensslPerSecond > 0)
        std::printf("   %6.2f\n", oursPerSecond / opensslPerSecond);
    else
        std::printf("   (openssl figure unavailable)\n");
}

std::vector<uint8_t> readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv)
{
    theLog.SetLevel(0);
    const char* file = argc > 1 ? argv[1] : QUORIN_BENCH_FIXTURE;
    const char* password = argc > 2 ? argv[2] : "Quorin-Test-1";
    std::vector<uint8_t> buffer(bufferSize);
    for (uint32_t i = 0; i < bufferSize; i++)
        buffer[i] = uint8_t(i * 31);

    std::printf("%-28s %15s %15s   %6s\n", "work (8 KiB buffers)", "ours", "openssl", "ratio");

    double sha1 = timePerRun([&] {
        SHA1Context context;
        sha1Init(&context);
        sha1Update(&context, buffer.data(), bufferSize);
        sha1Final(&context);
    });
    printThroughput("SHA-1", bufferSize / sha1, opensslSpeed("-evp sha1"));

    const uint8_t key[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    const uint8_t iv[8] = {8, 7, 6, 5, 4, 3, 2, 1};
    DES3Context des3;
    des3Init(&des3, key, iv, 0);
    double des = timePerRun([&] { des3Process(&des3, buffer.data(), buffer.data(), bufferSize); });
    printThroughput("DES-EDE3-CBC decrypt", bufferSize / des, opensslSpeed("-evp des-ede3-cbc -decrypt"));

    uint32_t rc2Key[RC2_KEY_WORDS];
    rc2KeySchedule(rc2Key, 5, key, 40);
    uint8_t rc2IV[8];
    std::memcpy(rc2IV, iv, 8);
    double rc2 = timePerRun([&] { rc2Cbc(buffer.data(), buffer.data(), bufferSize, rc2Key, rc2IV, 0); });
    printThroughput("RC2-40-CBC decrypt", bufferSize / rc2,
                    opensslSpeed("-provider legacy -provider default -evp rc2-40-cbc -decrypt"));

    std::vector<uint8_t> p12 = readFile(file);
    if (p12.empty()) {
        std::printf("cannot read %s\n", file);
        return 0;
    }
    size_t certificates = 0;
    double decode = timePerRun([&] {
        CByteStream stream(p12.data(), uint32_t(p12.size()));
        CPKCS12 pkcs12(stream);
        pkcs12.decode(password);
        certificates = pkcs12.getCertificates().size();
    });
    // openssl pkcs12 runs as a process: its CPU time at start-up (with the legacy
    // provider) is measured apart and taken off. -nomacver, since we do not check the MAC.
    std::string pass = std::string("pass:") + password;
    double opensslTotal = secondsOfCommand(std::string("openssl pkcs12 -legacy -nomacver -nodes -passin '") + pass
                                               + "' -in '" + file + "'", 20);
    double opensslStart = secondsOfCommand("openssl list -provider legacy -provider default -providers", 20);
    double opensslParse = opensslTotal - opensslStart;
    std::printf("\n%s: %zu certificates and a key\n", file, certificates);
    std::printf("%-28s %12.2f ms %12.2f ms   %6.2f\n", "decode vs PKCS12 parse", decode * 1e3, opensslParse * 1e3,
                opensslParse > 0 ? opensslParse / decode : 0.0);
    std::printf("  (openssl pkcs12 process %.2f ms less its start-up %.2f ms; ratio = openssl time / ours)\n",
                opensslTotal * 1e3, opensslStart * 1e3);
    std::printf("  throughput ratio = ours / openssl; higher is better for us in both\n");
    return 0;
}
