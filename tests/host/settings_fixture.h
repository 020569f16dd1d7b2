// The screensaver made for configure mode on a chosen machine, with its own settings key, and the
// registry values under that key as a test reads and writes them.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/application_settings.h"
#include "host/wide_text.h"
#include "platform/win32/dialog_hook.h"
#include "tests/host/host_fixture.h"

class SettingsProbe : public HostProbe {
 public:
  // Run frees the adapters and Direct3D at its end; a probe that was only made frees them here.
  ~SettingsProbe() override {
    for (AdapterEntry*& adapter : m_adapters) {
      delete adapter;
      adapter = nullptr;
    }
    if (m_direct3D) m_direct3D->Release();
  }

  using CD3DScreensaver::m_reverseOrder;
  AdapterEntry& Adapter(UINT index) { return *m_adapters[index]; }
};

struct StoredValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

class SettingsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    keyPath = UniqueKeyPath();
  }
  void TearDown() override {
    win32::SetDialogHook(nullptr);
    HostTest::TearDown();
  }

  // Makes the screensaver for "/c" on the machine: it enumerates the adapters and reads the settings.
  SettingsProbe& Make(machine::Machine description) {
    machine::Install(std::move(description));
    probe = std::make_unique<SettingsProbe>();
    CopyWide(g_SettingsKeyPath, keyPath.c_str());
    CopyWide(probe->m_registryKeyPath, keyPath.c_str());
    win32::SetCommandLine(u"saver.scr /c");
    probe->Create(nullptr);
    return *probe;
  }

  // `subkey` empty: the settings key itself.
  HKEY Open(const std::u16string& subkey, bool create) const {
    const std::u16string path = subkey.empty() ? keyPath : keyPath + subkey;
    HKEY key = nullptr;
    const LSTATUS status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                    nullptr, &key, nullptr)
                                  : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
  }

  void Store(const std::u16string& subkey, const char16_t* name, DWORD type, std::vector<BYTE> bytes) const {
    HKEY key = Open(subkey, true);
    ASSERT_NE(key, nullptr);
    RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
  void StoreDword(const std::u16string& subkey, const char16_t* name, DWORD value) const {
    Store(subkey, name, REG_DWORD,
          {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
  }

  std::optional<StoredValue> Stored(const std::u16string& subkey, const char16_t* name) const {
    HKEY key = Open(subkey, false);
    if (!key) return std::nullopt;
    StoredValue value;
    value.bytes.resize(64);
    DWORD size = 64;
    const LSTATUS status = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.bytes.resize(size);
    return value;
  }
  std::optional<DWORD> StoredDword(const std::u16string& subkey, const char16_t* name) const {
    auto value = Stored(subkey, name);
    if (!value || value->type != REG_DWORD || value->bytes.size() != 4) return std::nullopt;
    return DWORD(value->bytes[0] | value->bytes[1] << 8 | value->bytes[2] << 16 | DWORD(value->bytes[3]) << 24);
  }
  bool KeyExists(const std::u16string& subkey) const {
    HKEY key = Open(subkey, false);
    if (key) RegCloseKey(key);
    return key != nullptr;
  }

  static std::u16string ItemText(HWND dialog, int id) {
    WCHAR buffer[512];
    GetDlgItemTextW(dialog, id, buffer, 512);
    return buffer;
  }
  static std::vector<std::u16string> ComboItems(HWND dialog, int id) {
    std::vector<std::u16string> items;
    const LRESULT count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      WCHAR text[128];
      SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.emplace_back(text);
    }
    return items;
  }
  static LRESULT ComboSelection(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0); }
  static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
  static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

  std::u16string keyPath;
  std::unique_ptr<SettingsProbe> probe;
};
