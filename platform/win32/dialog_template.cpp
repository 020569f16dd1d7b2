#include "platform/win32/dialog_template.h"

#include <cstring>

namespace win32 {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const BYTE> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }

  WORD Word() {
    if (!Need(2)) return 0;
    const WORD value = static_cast<WORD>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  SHORT Short() { return static_cast<SHORT>(Word()); }
  void Skip(size_t count) {
    if (Need(count)) at_ += count;
  }
  void Align() { Skip((4 - at_ % 4) % 4); }

  std::u16string Text() {
    std::u16string text;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) text += static_cast<char16_t>(c);
    return text;
  }

  // A class or a title: nothing (0), an ordinal (0xFFFF and a number) or a text.
  std::u16string TextOrOrdinal(bool className) {
    if (!Need(2)) return {};
    const WORD first = static_cast<WORD>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    if (first == 0xFFFF) {
      Word();
      const WORD ordinal = Word();
      return className ? ClassOfOrdinal(ordinal) : std::u16string();
    }
    return Text();
  }

 private:
  bool Need(size_t count) {
    if (!ok_ || bytes_.size() - at_ < count) ok_ = false;
    return ok_;
  }

  std::u16string ClassOfOrdinal(WORD ordinal) {
    switch (ordinal) {
      case 0x80: return u"Button";
      case 0x81: return u"Edit";
      case 0x82: return u"Static";
      case 0x83: return u"ListBox";
      case 0x84: return u"ScrollBar";
      case 0x85: return u"ComboBox";
      default:
        ok_ = false;
        return {};
    }
  }

  std::span<const BYTE> bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes) {
  Reader in(bytes);
  DialogTemplate dialog;
  const WORD version = in.Word();
  const WORD signature = in.Word();
  if (!in.ok() || version != 1 || signature != 0xFFFF) return std::nullopt;
  in.Dword();  // help id
  dialog.exStyle = in.Dword();
  dialog.style = in.Dword();
  const WORD count = in.Word();
  dialog.x = in.Short();
  dialog.y = in.Short();
  dialog.cx = in.Short();
  dialog.cy = in.Short();
  in.TextOrOrdinal(false);  // menu: dialogs here have none
  if (!in.TextOrOrdinal(false).empty()) return std::nullopt;  // only the standard dialog class
  dialog.caption = in.Text();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = in.Word();
    in.Word();  // weight
    in.Skip(2); // italic, character set
    in.Text();  // face: every dialog is laid out in the one sans-serif face there is, at its size
  }
  for (WORD i = 0; i < count && in.ok(); ++i) {
    in.Align();
    DialogItemTemplate item;
    in.Dword();  // help id
    item.exStyle = in.Dword();
    item.style = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = in.Dword();
    item.className = in.TextOrOrdinal(true);
    item.text = in.TextOrOrdinal(false);
    in.Skip(in.Word());  // creation data
    dialog.items.push_back(std::move(item));
  }
  if (!in.ok()) return std::nullopt;
  return dialog;
}

}  // namespace win32
