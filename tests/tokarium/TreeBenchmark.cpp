// tree_benchmark [ROUNDS]: prints what one refresh tick costs with 10 readers
// holding a card and nothing changed, and what listing a token of 40
// certificates into the tree costs. The virtual middleware serves both (its
// module reads the card file on every call). Figures only; nothing is judged.
#include "tokarium/app/TokariumDlg.h"
#include "vmw/tools/StateEditor.h"
#include "vmw/tools/Der.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The window's parts without its window: the refresh and the listing work on
// the token map, the token layer and a tree of their own.
class BenchDialog : public CTokariumDlg {
public:
    void AddFakeTokens(int count)
    {
        for (int i = 0; i < count; ++i) {
            TokenRecord* token = new TokenRecord();
            snprintf(token->readerName, sizeof token->readerName, "Bench Reader %02d", i);
            m_tokens[token->readerName] = token;
        }
    }
    void UseTree(HWND tree) { m_tree.Attach(tree); }
    CCryptoki& Cryptoki() { return m_cryptoki; }
    HTREEITEM AddTokenItem() { return m_tree.InsertItem(L"Bench", IMAGE_TOKEN, IMAGE_TOKEN, TVI_ROOT, TVI_LAST); }
    ~BenchDialog() override { m_tree.Detach(); }
};

double MillisecondsPer(int rounds, const std::chrono::steady_clock::duration& total)
{
    return std::chrono::duration<double, std::milli>(total).count() / rounds;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int Fail(const std::string& what)
{
    fprintf(stderr, "tree_benchmark: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 50;
    if (rounds < 1)
        rounds = 1;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "tree-bench-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("QUORIN_VMW_STATE", root.c_str());
    vmw::StateEditor state{vmw::StateFolder(root)};
    if (!state.Init())
        return Fail(state.Error());
    vmw::Bytes der;
    if (!vmw::DecodeDerOrPem(ReadFile(std::string("Z:") + TREE_TEST_DATA + "/alice.pem"), der))
        return Fail("no certificate");
    for (int i = 0; i < 10; ++i) {
        char reader[32];
        snprintf(reader, sizeof reader, "Bench Reader %02d", i);
        vmw::CardDetails card;
        card.serial = "S" + std::to_string(i);
        if (!state.AddReader(reader) || !state.CreateCard(reader, card))
            return Fail(state.Error());
    }
    for (int i = 0; i < 40; ++i) {
        vmw::ObjectNaming naming;
        naming.hasLabel = naming.hasId = true;
        naming.label = naming.id = vmw::BytesOf("C" + std::to_string(i));
        unsigned long id = 0;
        if (!state.PutCertificate("Bench Reader 00", der, false, naming, id))
            return Fail(state.Error());
    }

    BenchDialog dialog;
    dialog.AddFakeTokens(10);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        dialog.RefreshReaders();
    printf("refresh tick, 10 readers with a card, no change: %.3f ms\n",
           MillisecondsPer(rounds, std::chrono::steady_clock::now() - start));

    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
    if (!tree)
        return Fail("no tree control");
    dialog.UseTree(tree);
    CCryptoki& cryptoki = dialog.Cryptoki();
    if (cryptoki.Attach("nimbrel.dll") != 0 || cryptoki.Initialize() != 0)
        return Fail("no module");
    CK_SLOT_ID slot = 0xFFFFFFFF;
    CK_SESSION_HANDLE session = 0;
    if (cryptoki.GetSlotID("Bench Reader 00", slot) != 0 || cryptoki.OpenSession(slot, session) != 0)
        return Fail("no session");
    TokenRecord token = {};
    token.slotId = static_cast<uint32_t>(slot);
    token.session = static_cast<uint32_t>(session);
    token.treeItem = dialog.AddTokenItem();
    int listRounds = rounds < 10 ? rounds : 10;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < listRounds; ++i)
        dialog.ListTokenObjects(&token);
    printf("listing a token of 40 certificates: %.3f ms\n",
           MillisecondsPer(listRounds, std::chrono::steady_clock::now() - start));
    CTokariumDlg::FreeCertificateList(token.certificates);
    cryptoki.CloseSession(session);
    DestroyWindow(tree);
    return 0;
}
