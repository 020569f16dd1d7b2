#include "tools/rc/script.h"

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "tools/rc/dialog_script.h"
#include "tools/rc/icon_file.h"
#include "tools/rc/lexer.h"

namespace rc {
namespace {

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return text;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::string Describe(const Key& key) { return key.id ? std::to_string(key.id) : Narrow(key.text); }

class Parser {
 public:
  Parser(std::string_view script, const std::filesystem::path& folder, const std::vector<std::filesystem::path>& searchFolders)
      : lexer_(script), folder_(folder), searchFolders_(searchFolders) {
    Advance();
  }

  Compilation Run() {
    while (token_.kind != Token::kEndOfScript) {
      if (token_.kind == Token::kName && Upper(token_.text) == u"STRINGTABLE") {
        Advance();
        StringTable();
      } else {
        Statement();
      }
    }
    if (out_.resources.empty() && strings_.empty()) throw CompileError(token_.line, "the script defines no resources");
    AddStringBlocks();
    return std::move(out_);
  }

 private:
  using Handler = void (Parser::*)(const Key& name, int line);

  // The statement kinds by their keyword; a word not listed here names a custom type.
  static const std::map<std::u16string, Handler>& Handlers() {
    static const std::map<std::u16string, Handler> handlers = {
        {u"ICON", &Parser::Icon},
        {u"RCDATA", &Parser::RcData},
        {u"DIALOGEX", &Parser::Dialog},
    };
    return handlers;
  }

  void Advance() { token_ = lexer_.Next(); }

  [[noreturn]] void Fail(const std::string& message) const { throw CompileError(token_.line, message); }

  Key ReadKey(const char* what) {
    Key key;
    if (token_.kind == Token::kNumber) {
      if (token_.number == 0 || token_.number > 0xFFFF) Fail(std::string("a ") + what + " number must lie from 1 to 65535");
      key.id = static_cast<uint16_t>(token_.number);
    } else if (token_.kind == Token::kName) {
      key.text = Upper(token_.text);
    } else {
      Fail(std::string("expected a ") + what + " (a number or a name)");
    }
    Advance();
    return key;
  }

  void Statement() {
    const int line = token_.line;
    const Key name = ReadKey("resource name");
    if (token_.kind == Token::kName) {
      auto handler = Handlers().find(Upper(token_.text));
      if (handler != Handlers().end()) {
        Advance();
        (this->*handler->second)(name, line);
        return;
      }
    }
    const Key type = ReadKey("resource type");
    Add(type, name, ReadFile(), line);
  }

  void Icon(const Key& name, int line) {
    const int fileLine = token_.line;
    std::filesystem::path path;
    std::vector<uint8_t> file = ReadFile(&path);
    std::vector<IconImage> images;
    try {
      images = ReadIconFile(file);
    } catch (const std::runtime_error& e) {
      throw CompileError(fileLine, path.string() + ": " + e.what());
    }
    if (nextIconId_ + images.size() > 0x10000) throw CompileError(fileLine, "too many icon images");
    const auto firstId = static_cast<uint16_t>(nextIconId_);
    for (auto& image : images) Add(Key{kTypeIcon, {}}, Key{static_cast<uint16_t>(nextIconId_++), {}}, image.bytes, line);
    Add(Key{kTypeGroupIcon, {}}, name, GroupIconDirectory(images, firstId), line);
  }

  void RcData(const Key& name, int line) { Add(Key{kTypeRcData, {}}, name, ReadFile(), line); }

  void Dialog(const Key& name, int line) { Add(Key{kTypeDialog, {}}, name, CompileDialog(lexer_, token_), line); }

  void StringTable() {
    if (token_.kind != Token::kOpen) Fail("expected BEGIN after STRINGTABLE");
    Advance();
    while (token_.kind != Token::kClose) {
      if (token_.kind == Token::kEndOfScript) Fail("STRINGTABLE without its END");
      if (token_.kind != Token::kNumber || token_.number > 0xFFFF) Fail("expected a string id from 0 to 65535");
      const auto id = static_cast<uint16_t>(token_.number);
      const int line = token_.line;
      Advance();
      if (token_.kind == Token::kComma) Advance();
      if (token_.kind != Token::kString) Fail("expected the text of string " + std::to_string(id) + " in quotes");
      if (token_.text.size() > 0xFFFF) Fail("string " + std::to_string(id) + " is too long");
      auto& slot = strings_[id / 16 + 1][id % 16];
      if (slot) throw CompileError(line, "string " + std::to_string(id) + " is defined twice");
      slot = token_.text;
      Advance();
    }
    Advance();
  }

  std::vector<uint8_t> ReadFile(std::filesystem::path* named = nullptr) {
    if (token_.kind != Token::kString) Fail("expected a file name in quotes");
    const std::filesystem::path name(std::u16string(token_.text));
    std::filesystem::path path = folder_ / name;
    for (auto folder = searchFolders_.begin(); !std::filesystem::exists(path) && folder != searchFolders_.end(); ++folder)
      path = *folder / name;
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot read the file " + path.string());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) Fail("cannot read the file " + path.string());
    out_.files.push_back(path);
    if (named) *named = path;
    Advance();
    return bytes;
  }

  void Add(Key type, Key name, std::vector<uint8_t> data, int line) {
    auto identity = std::make_pair(std::make_pair(type.id, type.text), std::make_pair(name.id, name.text));
    if (!seen_.insert(identity).second)
      throw CompileError(line, "resource " + Describe(name) + " of type " + Describe(type) + " is defined twice");
    out_.resources.push_back(CompiledResource{std::move(type), std::move(name), std::move(data)});
  }

  // Strings go in blocks of 16, as Windows keeps them: block n holds ids (n - 1) * 16 to n * 16 - 1,
  // each a 16-bit length and its UTF-16 units, with length 0 for an id the script does not define.
  void AddStringBlocks() {
    for (const auto& [block, texts] : strings_) {
      std::vector<uint8_t> data;
      for (const auto& text : texts) {
        const std::u16string value = text.value_or(u"");
        data.push_back(static_cast<uint8_t>(value.size()));
        data.push_back(static_cast<uint8_t>(value.size() >> 8));
        for (char16_t c : value) {
          data.push_back(static_cast<uint8_t>(c));
          data.push_back(static_cast<uint8_t>(c >> 8));
        }
      }
      out_.resources.push_back(CompiledResource{Key{kTypeString, {}}, Key{static_cast<uint16_t>(block), {}}, std::move(data)});
    }
  }

  Lexer lexer_;
  std::filesystem::path folder_;
  std::vector<std::filesystem::path> searchFolders_;
  Token token_;
  Compilation out_;
  std::map<uint32_t, std::array<std::optional<std::u16string>, 16>> strings_;
  std::set<std::pair<std::pair<uint16_t, std::u16string>, std::pair<uint16_t, std::u16string>>> seen_;
  uint32_t nextIconId_ = 1;
};

}  // namespace

Compilation CompileScript(std::string_view script, const std::filesystem::path& folder,
                          const std::vector<std::filesystem::path>& searchFolders) {
  return Parser(script, folder, searchFolders).Run();
}

}  // namespace rc
