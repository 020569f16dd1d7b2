#include "tools/rc/dialog_script.h"

#include <map>
#include <string>

namespace rc {
namespace {

constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kCaption = 0x00C00000;
constexpr uint32_t kSetFont = 0x00000040;
constexpr uint32_t kGroup = 0x00020000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kDialogDefault = 0x80000000 | 0x00800000 | 0x00080000;  // WS_POPUP | WS_BORDER | WS_SYSMENU

// The names a flag or an id may be written with, by their documented values.
const std::map<std::string, uint32_t>& Symbols() {
  static const std::map<std::string, uint32_t> symbols = {
      {"WS_POPUP", 0x80000000}, {"WS_CHILD", kChild}, {"WS_VISIBLE", kVisible}, {"WS_DISABLED", 0x08000000},
      {"WS_CAPTION", kCaption}, {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000},
      {"WS_VSCROLL", 0x00200000}, {"WS_SYSMENU", 0x00080000}, {"WS_GROUP", kGroup}, {"WS_TABSTOP", kTabStop},
      {"DS_SETFONT", kSetFont}, {"DS_MODALFRAME", 0x80}, {"DS_CENTER", 0x0800}, {"DS_SHELLFONT", 0x48},
      {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_CHECKBOX", 2}, {"BS_AUTOCHECKBOX", 3},
      {"BS_RADIOBUTTON", 4}, {"BS_GROUPBOX", 7}, {"BS_AUTORADIOBUTTON", 9},
      {"SS_LEFT", 0}, {"SS_CENTER", 1}, {"SS_RIGHT", 2},
      {"CBS_SIMPLE", 1}, {"CBS_DROPDOWN", 2}, {"CBS_DROPDOWNLIST", 3},
      {"TBS_HORZ", 0}, {"TBS_AUTOTICKS", 1}, {"TBS_VERT", 2}, {"TBS_BOTH", 8}, {"TBS_NOTICKS", 0x10},
      {"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", 0xFFFFFFFF},
  };
  return symbols;
}

// How each control keyword is written: whether it has a text, its class ordinal and default style.
struct ControlKind {
  bool hasText;
  uint16_t classOrdinal;
  uint32_t style;
};

constexpr uint16_t kButton = 0x80;
constexpr uint16_t kStatic = 0x82;
constexpr uint16_t kComboBox = 0x85;

const std::map<std::string, ControlKind>& ControlKinds() {
  static const std::map<std::string, ControlKind> kinds = {
      {"PUSHBUTTON", {true, kButton, 0 | kTabStop}},       {"DEFPUSHBUTTON", {true, kButton, 1 | kTabStop}},
      {"CHECKBOX", {true, kButton, 2 | kTabStop}},         {"AUTOCHECKBOX", {true, kButton, 3 | kTabStop}},
      {"RADIOBUTTON", {true, kButton, 4}},                 {"AUTORADIOBUTTON", {true, kButton, 9}},
      {"GROUPBOX", {true, kButton, 7}},                    {"LTEXT", {true, kStatic, 0 | kGroup}},
      {"CTEXT", {true, kStatic, 1 | kGroup}},              {"RTEXT", {true, kStatic, 2 | kGroup}},
      {"COMBOBOX", {false, kComboBox, 1 | kTabStop}},
  };
  return kinds;
}

// The predefined classes a CONTROL statement may name, which the template stores as ordinals.
const std::map<std::string, uint16_t>& ClassOrdinals() {
  static const std::map<std::string, uint16_t> ordinals = {
      {"BUTTON", kButton}, {"EDIT", 0x81}, {"STATIC", kStatic}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84},
      {"COMBOBOX", kComboBox},
  };
  return ordinals;
}

std::string UpperNarrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    char n = c < 0x80 ? static_cast<char>(c) : '?';
    if (n >= 'a' && n <= 'z') n = static_cast<char>(n - 32);
    out += n;
  }
  return out;
}

class Bytes {
 public:
  void Word(uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
  }
  void Dword(uint32_t value) {
    Word(value & 0xFFFF);
    Word(value >> 16);
  }
  void Text(const std::u16string& text) {
    for (char16_t c : text) Word(c);
    Word(0);
  }
  void Align() {
    while (out.size() % 4) out.push_back(0);
  }
  std::vector<uint8_t> out;
};

struct Item {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint32_t box[4] = {};
  uint32_t id = 0;
  uint16_t classOrdinal = 0;  // 0: the class is named by classText
  std::u16string classText;
  std::u16string text;
};

class DialogParser {
 public:
  DialogParser(Lexer& lexer, Token& token) : lexer_(lexer), token_(token) {}

  std::vector<uint8_t> Run() {
    uint32_t box[4];
    Box(box);
    uint32_t style = kDialogDefault;
    uint32_t exStyle = 0;
    std::u16string caption;
    bool hasFont = false;
    uint32_t pointSize = 0;
    std::u16string face;
    for (;;) {
      if (token_.kind == Token::kOpen) break;
      if (token_.kind != Token::kName) Fail("expected STYLE, EXSTYLE, CAPTION, FONT or BEGIN in a dialog");
      const std::string word = UpperNarrow(token_.text);
      Advance();
      if (word == "STYLE") {
        style = Flags(0);
      } else if (word == "EXSTYLE") {
        exStyle = Flags(0);
      } else if (word == "CAPTION") {
        caption = String("the caption");
        style |= kCaption;
      } else if (word == "FONT") {
        pointSize = Number("the font size", 0xFFFF);
        Comma();
        face = String("the font's face name");
        hasFont = true;
        style |= kSetFont;
      } else {
        Fail("unknown dialog statement " + word);
      }
    }
    Advance();
    std::vector<Item> items;
    while (token_.kind != Token::kClose) {
      if (token_.kind == Token::kEndOfScript) Fail("a dialog without its END");
      items.push_back(Control());
    }
    Advance();
    if (items.size() > 0xFFFF) Fail("too many controls in a dialog");

    Bytes b;
    b.Word(1);       // dlgVer
    b.Word(0xFFFF);  // signature: the extended template
    b.Dword(0);      // helpID
    b.Dword(exStyle);
    b.Dword(style);
    b.Word(static_cast<uint32_t>(items.size()));
    for (uint32_t v : box) b.Word(v);
    b.Word(0);  // no menu
    b.Word(0);  // the standard dialog class
    b.Text(caption);
    if (hasFont) {
      b.Word(pointSize);
      b.Word(400);  // weight: normal
      b.out.push_back(0);  // not italic
      b.out.push_back(1);  // DEFAULT_CHARSET
      b.Text(face);
    }
    for (const Item& item : items) {
      b.Align();
      b.Dword(0);  // helpID
      b.Dword(item.exStyle);
      b.Dword(item.style);
      for (uint32_t v : item.box) b.Word(v);
      b.Dword(item.id);
      if (item.classOrdinal) {
        b.Word(0xFFFF);
        b.Word(item.classOrdinal);
      } else {
        b.Text(item.classText);
      }
      b.Text(item.text);
      b.Word(0);  // no creation data
    }
    return std::move(b.out);
  }

 private:
  void Advance() { token_ = lexer_.Next(); }
  [[noreturn]] void Fail(const std::string& message) const { throw CompileError(token_.line, message); }

  void Comma() {
    if (token_.kind != Token::kComma) Fail("expected a comma");
    Advance();
  }

  uint32_t Number(const char* what, uint32_t limit) {
    uint32_t value = 0;
    if (token_.kind == Token::kNumber) {
      value = token_.number;
    } else if (token_.kind == Token::kName) {
      auto it = Symbols().find(UpperNarrow(token_.text));
      if (it == Symbols().end()) Fail("unknown name " + UpperNarrow(token_.text) + " for " + what);
      value = it->second;
    } else {
      Fail(std::string("expected ") + what);
    }
    if (value > limit) Fail(std::string(what) + " is out of range");
    Advance();
    return value;
  }

  std::u16string String(const char* what) {
    if (token_.kind != Token::kString) Fail(std::string("expected ") + what + " in quotes");
    std::u16string text = token_.text;
    Advance();
    return text;
  }

  // x, y, width, height: dialog units, each a 16-bit signed value.
  void Box(uint32_t (&box)[4]) {
    for (int i = 0; i < 4; ++i) {
      if (i) Comma();
      box[i] = Number("a position or size", 0x7FFF);
    }
  }

  // flag | flag | NOT flag ...: set flags are added to `base`, NOT flags taken out of it.
  uint32_t Flags(uint32_t base) {
    uint32_t set = 0;
    uint32_t cleared = 0;
    for (;;) {
      bool negate = false;
      if (token_.kind == Token::kName && UpperNarrow(token_.text) == "NOT") {
        negate = true;
        Advance();
      }
      const uint32_t flag = Number("a style flag", 0xFFFFFFFF);
      (negate ? cleared : set) |= flag;
      if (token_.kind != Token::kPipe) break;
      Advance();
    }
    return (base | set) & ~cleared;
  }

  Item Control() {
    if (token_.kind != Token::kName) Fail("expected a control statement");
    const std::string word = UpperNarrow(token_.text);
    Advance();
    Item item;
    if (word == "CONTROL") {
      item.text = String("the control's text");
      Comma();
      item.id = Number("a control id", 0xFFFFFFFF);
      Comma();
      const std::u16string className = String("the control's class");
      auto ordinal = ClassOrdinals().find(UpperNarrow(className));
      if (ordinal != ClassOrdinals().end()) {
        item.classOrdinal = ordinal->second;
      } else {
        item.classText = className;
      }
      Comma();
      item.style = Flags(kChild | kVisible);
      Comma();
      Box(item.box);
      if (token_.kind == Token::kComma) {
        Advance();
        item.exStyle = Flags(0);
      }
      return item;
    }
    auto kind = ControlKinds().find(word);
    if (kind == ControlKinds().end()) Fail("unknown control statement " + word);
    if (kind->second.hasText) {
      item.text = String("the control's text");
      Comma();
    }
    item.id = Number("a control id", 0xFFFFFFFF);
    Comma();
    Box(item.box);
    item.classOrdinal = kind->second.classOrdinal;
    item.style = kChild | kVisible | kind->second.style;
    if (token_.kind == Token::kComma) {
      Advance();
      item.style = Flags(item.style);
      if (token_.kind == Token::kComma) {
        Advance();
        item.exStyle = Flags(0);
      }
    }
    return item;
  }

  Lexer& lexer_;
  Token& token_;
};

}  // namespace

std::vector<uint8_t> CompileDialog(Lexer& lexer, Token& token) { return DialogParser(lexer, token).Run(); }

}  // namespace rc
