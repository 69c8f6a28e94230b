// A stand-in for crypt32 that records every certificate call in a transcript and
// keeps its stores in memory. Certificates are parsed by the platform's
// CertCreateCertificateContext; stores, additions and properties are our own,
// so a test can see properties that Wine's crypt32 refuses or loses, and can
// make any call fail with a chosen code.
#pragma once

#include "bundlor/CertificateFunctions.h"
#include "bundlor/Console.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The certificate calls and the console messages of a run, in the order made.
struct Transcript {
    std::vector<std::string> lines;
    void Add(const std::string& line) { lines.push_back(line); }
};

class CRecordingConsole : public CConsole {
public:
    explicit CRecordingConsole(Transcript& transcript) : m_transcript(transcript) {}
    void Out(const std::string& text) override;
    void Err(const std::string& text) override;

    std::string out;
    std::string err;

private:
    Transcript& m_transcript;
};

struct FakeCertificate {
    Bytes encoded;
    std::map<DWORD, Bytes> properties;
};

struct FakeStore {
    std::string name;
    std::vector<std::shared_ptr<FakeCertificate>> certificates;
};

class CRecordingCertificateFunctions : public CCertificateFunctions {
public:
    explicit CRecordingCertificateFunctions(Transcript& transcript);
    ~CRecordingCertificateFunctions() override;

    // Store names are "file:<path>" (input opens, flags 0), "commit:<path>" (store
    // files opened to be written), "machine:<name>" and "user:<name>". Files open
    // only when declared with InputStore; other stores open unless failed.
    void InputStore(const std::string& path, const std::vector<Bytes>& certificates);
    void FailOpen(const std::string& store, DWORD error);
    void FailAdd(const std::string& store, const std::string& subject, DWORD error);
    void FailProperty(DWORD propertyId, DWORD error);
    void FailDecode(DWORD error);

    // A store as the run left it; null when it was never created.
    const FakeStore* Store(const std::string& store) const;
    int OpenStoreHandles() const { return m_openHandles; }
    size_t LiveContexts() const { return m_contexts.size(); }
    int UnknownReleases() const { return m_unknownReleases; }

    HCERTSTORE OpenStore(LPCSTR provider, DWORD encoding, HCRYPTPROV_LEGACY cryptProv,
                         DWORD flags, const void* parameter) override;
    HCERTSTORE OpenSystemStore(HCRYPTPROV_LEGACY cryptProv, LPCSTR storeName) override;
    BOOL CloseStore(HCERTSTORE store, DWORD flags) override;
    PCCERT_CONTEXT EnumCertificatesInStore(HCERTSTORE store, PCCERT_CONTEXT previous) override;
    PCCERT_CONTEXT CreateCertificateContext(DWORD encoding, const BYTE* encoded,
                                            DWORD encodedSize) override;
    BOOL FreeCertificateContext(PCCERT_CONTEXT certificate) override;
    BOOL AddCertificateContextToStore(HCERTSTORE store, PCCERT_CONTEXT certificate,
                                      DWORD disposition, PCCERT_CONTEXT* storedCopy) override;
    DWORD GetNameString(PCCERT_CONTEXT certificate, DWORD type, DWORD flags,
                        void* typeParameter, LPSTR name, DWORD nameSize) override;
    BOOL SetCertificateContextProperty(PCCERT_CONTEXT certificate, DWORD propertyId,
                                       DWORD flags, const void* data) override;
    BOOL DecodeObject(DWORD encoding, LPCSTR structType, const BYTE* encoded,
                      DWORD encodedSize, DWORD flags, void* decoded,
                      DWORD* decodedSize) override;

private:
    struct Handle {
        FakeStore* store;
        size_t next = 0;   // enumeration position
    };
    struct Context {
        std::string label;                          // subject, or subject in store
        std::shared_ptr<FakeCertificate> stored;    // set for copies inside a store
    };

    HCERTSTORE OpenNamed(const std::string& store);
    PCCERT_CONTEXT NewContext(const Bytes& encoded, const std::string& where,
                              std::shared_ptr<FakeCertificate> stored);
    std::string Label(PCCERT_CONTEXT certificate) const;
    std::string HandleName(HCERTSTORE store) const;
    BOOL Fail(DWORD error);

    Transcript& m_transcript;
    std::map<std::string, std::unique_ptr<FakeStore>> m_stores;
    std::map<std::string, std::vector<Bytes>> m_inputs;
    std::map<std::string, DWORD> m_openFailures;
    std::map<std::string, DWORD> m_addFailures;   // "<store>|<subject>"
    std::map<DWORD, DWORD> m_propertyFailures;
    DWORD m_decodeFailure = 0;
    std::map<HCERTSTORE, std::unique_ptr<Handle>> m_handles;
    std::map<PCCERT_CONTEXT, Context> m_contexts;
    int m_openHandles = 0;
    int m_unknownReleases = 0;
};

// The subject's simple display name as crypt32 gives it.
std::string SubjectName(PCCERT_CONTEXT certificate);
