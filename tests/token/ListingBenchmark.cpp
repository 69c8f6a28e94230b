// Prints how long a complete listing takes (GetCertificates and GetPrivateKeys)
// on a virtual token holding 40 certificates and 40 private keys.

#include "tests/token/fixtures/Fixtures.h"
#include "tokarium/app/ActivityLog.h"
#include "tokarium/token/Cryptoki.h"
#include "vmw/tools/StateEditor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char READER[] = "Benchmark Reader";

void SetEnvironment(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

bool MakeToken(const std::string& state)
{
    std::filesystem::remove_all(state);
    vmw::StateEditor editor{vmw::StateFolder(state)};
    vmw::CardDetails details;
    details.serial = "BENCH1";
    if (!editor.Init() || !editor.AddReader(READER) || !editor.CreateCard(READER, details))
        return false;
    vmw::Bytes certificate(fixtures::userDer, fixtures::userDer + sizeof fixtures::userDer);
    vmw::Bytes key(fixtures::userKeyDer, fixtures::userKeyDer + sizeof fixtures::userKeyDer);
    vmw::TokenState token;
    for (int i = 0; i < 40; ++i) {
        vmw::ObjectNaming naming;
        naming.hasLabel = true;
        naming.label = vmw::BytesOf("object " + std::to_string(i));
        naming.hasId = true;
        naming.id = naming.label;
        unsigned long id = 0;
        if (!editor.PutCertificate(READER, certificate, false, naming, id)
            || !editor.PutPrivateKey(READER, key, nullptr, false, naming, id)) {
            std::fprintf(stderr, "benchmark: %s\n", editor.Error().c_str());
            return false;
        }
    }
    return true;
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    std::string state = "vmwstate_benchmark";
    SetEnvironment("QUORIN_VMW_STATE", state);
    if (!MakeToken(state)) {
        std::fprintf(stderr, "benchmark: cannot make the token\n");
        return 1;
    }
    for (int logging = 0; logging < 2; ++logging) {
        theLog.SetPath(logging ? "benchmark.log" : "");
        theLog.SetLevel(4);
        CCryptoki cryptoki;
        CK_SLOT_ID slot = 0;
        CK_SESSION_HANDLE session = 0;
        if (cryptoki.Attach(TOKEN_BENCHMARK_MODULE) || cryptoki.Initialize()
            || cryptoki.GetSlotID(READER, slot) || cryptoki.OpenSession(slot, session)
            || cryptoki.Login(session, "1234")) {
            std::fprintf(stderr, "benchmark: cannot open the token\n");
            return 1;
        }
        std::vector<double> times;
        for (int i = 0; i < rounds; ++i) {
            CertificateList certificates = {nullptr, 0};
            PrivateKeyList keys = {nullptr, 0};
            auto start = std::chrono::steady_clock::now();
            CK_RV rv = cryptoki.GetCertificates(session, certificates);
            if (rv == CKR_OK)
                rv = cryptoki.GetPrivateKeys(session, keys);
            times.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
            bool complete = rv == CKR_OK && certificates.count == 40 && keys.count == 40;
            ReleaseCertificateEntries(certificates);
            ReleasePrivateKeyEntries(keys);
            if (!complete) {
                std::fprintf(stderr, "benchmark: incomplete listing (rv %lx)\n",
                             static_cast<unsigned long>(rv));
                return 1;
            }
        }
        std::sort(times.begin(), times.end());
        std::printf("listing 40 certificates and 40 keys, log %s: median %.2f ms, best %.2f ms, "
                    "worst %.2f ms (%d rounds)\n",
                    logging ? "written at level 4" : "off", times[times.size() / 2], times.front(),
                    times.back(), rounds);
    }
    std::remove("benchmark.log");
    std::filesystem::remove_all(state);
    return 0;
}
