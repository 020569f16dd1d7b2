// The display settings in the registry: the reverse-order flag under the settings key, and per
// monitor with an adapter a subkey "Screen n" (n = the monitor's number + 1).
#include <cstring>

#include "host/screensaver.h"

namespace {

// A value counts only when it is exactly as long as its field; anything else leaves the field, as
// an absent value does.
bool ReadExact(HKEY key, const WCHAR* name, void* field, DWORD size) {
  BYTE buffer[16] = {};
  DWORD got = sizeof(buffer);
  if (size > sizeof(buffer)) return false;
  if (RegQueryValueExW(key, name, nullptr, nullptr, buffer, &got) != ERROR_SUCCESS || got != size) return false;
  std::memcpy(field, buffer, size);
  return true;
}

void ReadFlag(HKEY key, const WCHAR* name, BOOL* flag) {
  DWORD value = 0;
  if (ReadExact(key, name, &value, sizeof(value))) *flag = value != 0;
}

void ReadDword(HKEY key, const WCHAR* name, DWORD* field) { ReadExact(key, name, field, sizeof(DWORD)); }

void WriteDword(HKEY key, const WCHAR* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

HKEY OpenScreenKey(HKEY settings, UINT monitor) {
  WCHAR name[32];
  wsprintfW(name, u"Screen %d", static_cast<int>(monitor + 1));
  HKEY screen = nullptr;
  if (RegCreateKeyExW(settings, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &screen,
                      nullptr) != ERROR_SUCCESS)
    return nullptr;
  return screen;
}

}  // namespace

AdapterEntry* CD3DScreensaver::AdapterOfMonitor(UINT monitor) {
  if (monitor >= m_monitorCount) return nullptr;
  const INT index = m_monitors[monitor].adapterIndex;
  if (index < 0 || static_cast<UINT>(index) >= m_adapterCount) return nullptr;
  return m_adapters[index];
}

void CD3DScreensaver::ReadDisplaySettings(HKEY key) {
  ReadFlag(key, u"AllScreensSame", &m_reverseOrder);
  for (UINT m = 0; m < m_monitorCount; ++m) {
    AdapterEntry* adapter = AdapterOfMonitor(m);
    if (!adapter) continue;
    HKEY screen = OpenScreenKey(key, m);
    if (!screen) continue;
    GUID stored = {};
    ReadExact(screen, u"Adapter ID", &stored, sizeof(stored));
    ReadFlag(screen, u"Leave Black", &adapter->leaveBlack);
    // The mode and the hardware switch belong to the card they were chosen on.
    if (stored == GUID{} || stored == adapter->identifier.DeviceIdentifier) {
      ReadFlag(screen, u"Disable Hardware", &adapter->disableHardware);
      ReadDword(screen, u"Width", &adapter->chosenWidth);
      ReadDword(screen, u"Height", &adapter->chosenHeight);
      DWORD format = static_cast<DWORD>(adapter->chosenFormat);
      ReadDword(screen, u"Format", &format);
      adapter->chosenFormat = static_cast<D3DFORMAT>(format);
    }
    RegCloseKey(screen);
  }
}

void CD3DScreensaver::WriteDisplaySettings(HKEY key) {
  WriteDword(key, u"AllScreensSame", m_reverseOrder ? 1 : 0);
  for (UINT m = 0; m < m_monitorCount; ++m) {
    const AdapterEntry* adapter = AdapterOfMonitor(m);
    if (!adapter) continue;
    HKEY screen = OpenScreenKey(key, m);
    if (!screen) continue;
    WriteDword(screen, u"Leave Black", adapter->leaveBlack ? 1 : 0);
    WriteDword(screen, u"Disable Hardware", adapter->disableHardware ? 1 : 0);
    WriteDword(screen, u"Width", adapter->chosenWidth);
    WriteDword(screen, u"Height", adapter->chosenHeight);
    WriteDword(screen, u"Format", static_cast<DWORD>(adapter->chosenFormat));
    RegSetValueExW(screen, u"Adapter ID", 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(&adapter->identifier.DeviceIdentifier), sizeof(GUID));
    RegCloseKey(screen);
  }
}
