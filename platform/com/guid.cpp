#include <objbase.h>

#include <random>

#include "platform/com/guid_source.h"

namespace {

int HexDigit(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// `digits` hex digits at text[at...], already checked to be hex digits.
void ParseHex(LPCOLESTR text, int at, int digits, uint32_t* value) {
  uint32_t result = 0;
  for (int i = 0; i < digits; ++i) result = result << 4 | static_cast<uint32_t>(HexDigit(text[at + i]));
  *value = result;
}

bool ParseBraceForm(LPCOLESTR text, GUID* guid) {
  // Checked character by character in order, so a short text is never read past its terminator.
  static constexpr char kForm[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  for (int i = 0; kForm[i]; ++i) {
    const bool fits = kForm[i] == 'X' ? HexDigit(text[i]) >= 0 : text[i] == kForm[i];
    if (!fits) return false;
  }
  if (text[sizeof(kForm) - 1] != 0) return false;
  uint32_t data1, data2, data3;
  ParseHex(text, 1, 8, &data1);
  ParseHex(text, 10, 4, &data2);
  ParseHex(text, 15, 4, &data3);
  guid->Data1 = data1;
  guid->Data2 = static_cast<WORD>(data2);
  guid->Data3 = static_cast<WORD>(data3);
  static constexpr int kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    uint32_t byte;
    ParseHex(text, kByteAt[i], 2, &byte);
    guid->Data4[i] = static_cast<BYTE>(byte);
  }
  return true;
}

GUID RandomGuid() {
  static std::random_device device;
  static std::mt19937_64 generator(static_cast<uint64_t>(device()) << 32 | device());
  GUID guid;
  const uint64_t high = generator();
  const uint64_t low = generator();
  guid.Data1 = static_cast<DWORD>(high >> 32);
  guid.Data2 = static_cast<WORD>(high >> 16);
  guid.Data3 = static_cast<WORD>((high & 0x0FFF) | 0x4000);  // version 4
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<BYTE>(low >> (8 * (7 - i)));
  guid.Data4[0] = static_cast<BYTE>((guid.Data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return guid;
}

com::GuidSource& Source() {
  static com::GuidSource source;
  return source;
}

}  // namespace

void com::SetGuidSource(GuidSource source) { Source() = std::move(source); }

HRESULT WINAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (!clsid) return E_INVALIDARG;
  if (text && ParseBraceForm(text, clsid)) return S_OK;
  *clsid = GUID_NULL;
  return CO_E_CLASSSTRING;
}

int WINAPI StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  constexpr int kLength = 39;
  if (!buffer || capacity < kLength) return 0;
  int at = 0;
  auto put = [&](uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) buffer[at++] = kHex[(value >> shift) & 0xF];
  };
  buffer[at++] = u'{';
  put(guid.Data1, 8);
  buffer[at++] = u'-';
  put(guid.Data2, 4);
  buffer[at++] = u'-';
  put(guid.Data3, 4);
  buffer[at++] = u'-';
  put(guid.Data4[0], 2);
  put(guid.Data4[1], 2);
  buffer[at++] = u'-';
  for (int i = 2; i < 8; ++i) put(guid.Data4[i], 2);
  buffer[at++] = u'}';
  buffer[at++] = 0;
  return at;
}

HRESULT WINAPI CoCreateGuid(GUID* guid) {
  if (!guid) return E_INVALIDARG;
  *guid = Source() ? Source()() : RandomGuid();
  return S_OK;
}
