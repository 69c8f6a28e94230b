// vmwctl: sets up and changes the virtual readers and cards.
#include "vmw/state/DurableFile.h"
#include "vmw/state/TokenFile.h"
#include "vmw/tools/StateEditor.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: vmwctl [--state FOLDER] COMMAND\n"
    "  init | status\n"
    "  reader add NAME | reader remove NAME\n"
    "  card create READER --serial S [--label L] [--manufacturer M] [--model M] [--pin P] [--puk K]\n"
    "  card remove READER | card insert READER SERIAL | card show READER\n"
    "  card set READER [--label L | --label-hex HEX] [--pin P] [--puk K] [--pin-tries N] [--puk-tries N]\n"
    "                  [--pin-to-be-changed yes|no] [--puk-to-be-changed yes|no]\n"
    "                  [--user-pin-initialized yes|no]\n"
    "  cert add READER FILE [--ca] [--label L] [--id HEX | --id-text T]\n"
    "  key add READER FILE [--cert FILE] [--public-key] [--label L] [--id HEX | --id-text T]\n"
    "  object protect READER ID | object unprotect READER ID\n"
    "  fault set C_FUNCTION 0xRV [--always] | fault clear [C_FUNCTION]\n"
    "  service stop | service start\n"
    "The state folder defaults to $QUORIN_VMW_STATE.\n";

const char* kFlags[] = {"--ca", "--public-key", "--always"};

struct Arguments {
  std::vector<std::string> words;
  std::map<std::string, std::string> options;
  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& fallback = "") const {
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
  }
};

int Refuse(const std::string& message) {
  std::fprintf(stderr, "vmwctl: %s\n", message.c_str());
  return 1;
}

int Usage() {
  std::fputs(kUsage, stderr);
  return 1;
}

bool IsFlag(const std::string& name) {
  for (const char* flag : kFlags) {
    if (name == flag) return true;
  }
  return false;
}

bool Parse(int argc, char** argv, Arguments& arguments, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word.compare(0, 2, "--") != 0) {
      arguments.words.push_back(word);
    } else if (IsFlag(word)) {
      arguments.options[word] = "yes";
    } else if (i + 1 < argc) {
      arguments.options[word] = argv[++i];
    } else {
      error = "option " + word + " needs a value";
      return false;
    }
  }
  return true;
}

bool ReadNumber(const std::string& text, unsigned long limit, unsigned long& value) {
  if (text.empty() || text.size() > 10) return false;
  char* end = nullptr;
  int base = text.compare(0, 2, "0x") == 0 ? 16 : 10;
  unsigned long long parsed = std::strtoull(text.c_str(), &end, base);
  if (*end != '\0' || parsed > limit) return false;
  value = static_cast<unsigned long>(parsed);
  return true;
}

bool ReadFile(const std::string& path, vmw::Bytes& der, std::string& error) {
  std::string content;
  if (!vmw::ReadWholeFile(path, content)) {
    error = "cannot read " + path;
    return false;
  }
  if (!vmw::DecodeDerOrPem(content, der)) {
    error = path + " is neither DER nor PEM";
    return false;
  }
  return true;
}

bool ReadNaming(const Arguments& arguments, vmw::ObjectNaming& naming, std::string& error) {
  if (arguments.Has("--label")) {
    naming.hasLabel = true;
    naming.label = vmw::BytesOf(arguments.Get("--label"));
  }
  if (arguments.Has("--id") && arguments.Has("--id-text")) {
    error = "give --id or --id-text, not both";
    return false;
  }
  if (arguments.Has("--id")) {
    naming.hasId = true;
    if (!vmw::FromHex(arguments.Get("--id"), naming.id)) {
      error = "--id takes hexadecimal digits";
      return false;
    }
  }
  if (arguments.Has("--id-text")) {
    naming.hasId = true;
    naming.id = vmw::BytesOf(arguments.Get("--id-text"));
  }
  return true;
}

int Done(vmw::StateEditor& editor, bool ok) {
  if (!ok) {
    std::fprintf(stderr, "vmwctl: %s\n", editor.Error().c_str());
    return 2;
  }
  return 0;
}

int CardSet(vmw::StateEditor& editor, const std::string& reader, const Arguments& arguments) {
  vmw::TokenState token;
  if (!editor.LoadCard(reader, token)) return Done(editor, false);
  auto secret = [&](const char* option, vmw::Secret& target) {
    if (!arguments.Has(option)) return true;
    std::string value = arguments.Get(option);
    if (value.size() < vmw::TokenState::kMinPinLength || value.size() > vmw::TokenState::kMaxPinLength)
      return false;
    target.value = vmw::BytesOf(value);
    return true;
  };
  auto tries = [&](const char* option, vmw::Secret& target) {
    unsigned long value = 0;
    if (!arguments.Has(option)) return true;
    if (!ReadNumber(arguments.Get(option), vmw::TokenState::kMaxTries, value)) return false;
    target.triesLeft = static_cast<int>(value);
    return true;
  };
  auto yesNo = [&](const char* option, bool& target) {
    if (!arguments.Has(option)) return true;
    std::string value = arguments.Get(option);
    if (value != "yes" && value != "no") return false;
    target = value == "yes";
    return true;
  };
  if (arguments.Has("--label")) {
    if (arguments.Get("--label").size() > 32) return Refuse("the label has more than 32 characters");
    token.label = vmw::BytesOf(arguments.Get("--label"));
  }
  if (arguments.Has("--label-hex")) {  // for labels with NUL or other unprintable octets
    vmw::Bytes label;
    if (!vmw::FromHex(arguments.Get("--label-hex"), label) || label.size() > 32)
      return Refuse("--label-hex takes up to 32 octets in hexadecimal");
    token.label = label;
  }
  if (!secret("--pin", token.pin) || !secret("--puk", token.puk))
    return Refuse("PIN and PUK must have 4 to 16 characters");
  if (!tries("--pin-tries", token.pin) || !tries("--puk-tries", token.puk))
    return Refuse("tries left must be 0 to 3");
  if (!yesNo("--pin-to-be-changed", token.pinToBeChanged) ||
      !yesNo("--puk-to-be-changed", token.pukToBeChanged) ||
      !yesNo("--user-pin-initialized", token.userPinInitialized))
    return Refuse("expected yes or no");
  return Done(editor, editor.SaveCard(reader, token));
}

int CardCommand(vmw::StateEditor& editor, const Arguments& arguments) {
  const auto& w = arguments.words;
  if (w.size() < 3) return Usage();
  const std::string& reader = w[2];
  if (w[1] == "create" && w.size() == 3) {
    if (!arguments.Has("--serial")) return Refuse("card create needs --serial");
    vmw::CardDetails details;
    details.serial = arguments.Get("--serial");
    details.label = arguments.Get("--label", details.label);
    details.manufacturer = arguments.Get("--manufacturer", details.manufacturer);
    details.model = arguments.Get("--model", details.model);
    details.pin = arguments.Get("--pin", details.pin);
    details.puk = arguments.Get("--puk", details.puk);
    return Done(editor, editor.CreateCard(reader, details));
  }
  if (w[1] == "remove" && w.size() == 3) return Done(editor, editor.RemoveCard(reader));
  if (w[1] == "insert" && w.size() == 4) return Done(editor, editor.InsertCard(reader, w[3]));
  if (w[1] == "set" && w.size() == 3) return CardSet(editor, reader, arguments);
  if (w[1] == "show" && w.size() == 3) {
    vmw::TokenState token;
    if (!editor.LoadCard(reader, token)) return Done(editor, false);
    std::fputs(vmw::FormatToken(token).c_str(), stdout);
    return 0;
  }
  return Usage();
}

int ObjectAdd(vmw::StateEditor& editor, const Arguments& arguments) {
  const auto& w = arguments.words;
  if (w.size() != 4) return Usage();
  std::string error;
  vmw::ObjectNaming naming;
  vmw::Bytes der, certificate;
  if (!ReadNaming(arguments, naming, error) || !ReadFile(w[3], der, error)) return Refuse(error);
  unsigned long id = 0;
  bool ok = false;
  if (w[0] == "cert") {
    ok = editor.PutCertificate(w[2], der, arguments.Has("--ca"), naming, id);
  } else {
    if (arguments.Has("--cert") && !ReadFile(arguments.Get("--cert"), certificate, error))
      return Refuse(error);
    ok = editor.PutPrivateKey(w[2], der, arguments.Has("--cert") ? &certificate : nullptr,
                              arguments.Has("--public-key"), naming, id);
  }
  if (!ok) return Done(editor, false);
  std::printf("object %lu\n", id);
  return 0;
}

int Run(vmw::StateEditor& editor, const Arguments& arguments) {
  const auto& w = arguments.words;
  if (w.empty()) return Usage();
  const std::string& command = w[0];
  if (command == "init" && w.size() == 1) return Done(editor, editor.Init());
  if (command == "status" && w.size() == 1) {
    std::fputs(editor.Describe().c_str(), stdout);
    return 0;
  }
  if (command == "reader" && w.size() == 3 && w[1] == "add") return Done(editor, editor.AddReader(w[2]));
  if (command == "reader" && w.size() == 3 && w[1] == "remove")
    return Done(editor, editor.RemoveReader(w[2]));
  if (command == "card") return CardCommand(editor, arguments);
  if ((command == "cert" || command == "key") && w.size() > 1 && w[1] == "add")
    return ObjectAdd(editor, arguments);
  if (command == "object" && w.size() == 4 && (w[1] == "protect" || w[1] == "unprotect")) {
    unsigned long id = 0;
    if (!ReadNumber(w[3], 0x3FFFFFFF, id)) return Refuse("'" + w[3] + "' is not an object id");
    return Done(editor, editor.SetUndeletable(w[2], id, w[1] == "protect"));
  }
  if (command == "fault" && w.size() == 4 && w[1] == "set") {
    unsigned long rv = 0;
    if (w[3].compare(0, 2, "0x") != 0 || !ReadNumber(w[3], 0xFFFFFFFF, rv))
      return Refuse("the return value must be hexadecimal, like 0x30");
    return Done(editor, editor.SetFault(w[2], rv, arguments.Has("--always")));
  }
  if (command == "fault" && (w.size() == 2 || w.size() == 3) && w[1] == "clear")
    return Done(editor, editor.ClearFaults(w.size() == 3 ? w[2] : ""));
  if (command == "service" && w.size() == 2 && (w[1] == "stop" || w[1] == "start"))
    return Done(editor, editor.SetService(w[1] == "start"));
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  std::string error;
  if (!Parse(argc, argv, arguments, error)) return Refuse(error);
  vmw::StateFolder state = arguments.Has("--state") ? vmw::StateFolder(arguments.Get("--state"))
                                                    : vmw::StateFolder::FromEnvironment();
  vmw::StateEditor editor(state);
  return Run(editor, arguments);
}
