// Wide formatting with Windows semantics (%s is a wide string), always bounded.
#include <cstdarg>
#include <cstdio>
#include <string>

#include <shlwapi.h>
#include <windows.h>

namespace {

// wsprintfW never writes more than 1024 characters, the NUL included.
constexpr int kWsprintfLimit = 1024;

std::u16string Format(const WCHAR* format, va_list arguments) {
  std::u16string out;
  if (format == nullptr) return out;
  for (const WCHAR* p = format; *p != 0; ++p) {
    if (*p != u'%') {
      out += *p;
      continue;
    }
    ++p;
    if (*p == u'%') {
      out += u'%';
      continue;
    }
    std::string conversion = "%";
    bool left = false;
    while (*p == u'-' || *p == u'0' || *p == u'+' || *p == u' ' || *p == u'#') {
      left = left || *p == u'-';
      conversion += static_cast<char>(*p++);
    }
    int width = 0;
    while (*p >= u'0' && *p <= u'9') width = width * 10 + (*p - u'0'), conversion += static_cast<char>(*p++);
    int precision = -1;
    if (*p == u'.') {
      conversion += static_cast<char>(*p++);
      precision = 0;
      while (*p >= u'0' && *p <= u'9') precision = precision * 10 + (*p - u'0'), conversion += static_cast<char>(*p++);
    }
    bool shortValue = false;
    if (*p == u'l') {
      ++p;  // LONG is 32 bits: the same as int
    } else if (*p == u'h') {
      shortValue = true;
      ++p;
    }
    if (width > kWsprintfLimit) width = kWsprintfLimit;
    if (precision > kWsprintfLimit) precision = kWsprintfLimit;
    char number[kWsprintfLimit + 64];
    switch (*p) {
      case u'd':
      case u'i': {
        int value = va_arg(arguments, int);
        if (shortValue) value = static_cast<short>(value);
        std::snprintf(number, sizeof number, (conversion + "d").c_str(), value);
        break;
      }
      case u'u':
      case u'x':
      case u'X': {
        unsigned value = va_arg(arguments, unsigned);
        if (shortValue) value = static_cast<unsigned short>(value);
        std::snprintf(number, sizeof number, (conversion + static_cast<char>(*p)).c_str(), value);
        break;
      }
      case u'f':
        std::snprintf(number, sizeof number, (conversion + "f").c_str(), va_arg(arguments, double));
        break;
      case u'c':
      case u's': {
        std::u16string text;
        if (*p == u'c') {
          text = static_cast<char16_t>(va_arg(arguments, int));
        } else {
          const WCHAR* value = va_arg(arguments, const WCHAR*);
          text = value != nullptr ? value : u"(null)";
          if (precision >= 0 && text.size() > static_cast<size_t>(precision)) text.resize(precision);
        }
        const size_t pad = text.size() < static_cast<size_t>(width) ? width - text.size() : 0;
        if (!left) out.append(pad, u' ');
        out += text;
        if (left) out.append(pad, u' ');
        continue;
      }
      case 0:
        return out;  // a lone '%' at the end
      default:
        out += *p;  // an unknown type is copied, as wsprintfW does
        continue;
    }
    for (const char* c = number; *c != 0; ++c) out += static_cast<char16_t>(*c);
  }
  return out;
}

int Store(const std::u16string& text, LPWSTR buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return -1;
  const size_t length = text.size() < static_cast<size_t>(capacity) ? text.size() : capacity - 1;
  text.copy(buffer, length);
  buffer[length] = 0;
  return static_cast<int>(length);
}

}  // namespace

int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::u16string text = Format(format, arguments);
  va_end(arguments);
  return Store(text, buffer, kWsprintfLimit);
}

int WINAPIV wnsprintfW(LPWSTR buffer, int capacity, LPCWSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::u16string text = Format(format, arguments);
  va_end(arguments);
  return Store(text, buffer, capacity);
}
