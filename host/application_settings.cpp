#include "host/application_settings.h"

WCHAR g_SettingsKeyPath[200] = {};

namespace {

constexpr DWORD kFill = 2;

DWORD g_PicturePosition = kFill;
bool g_PicturePositionRead = false;

}  // namespace

void ReadSettingDword(DWORD* destination, const WCHAR* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, g_SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  // Read into a scratch word first: a value of another size must not leave a half-written setting.
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
      size == sizeof(value))
    *destination = value;
  RegCloseKey(key);
}

namespace {

void WriteSettingDword(const WCHAR* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, g_SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

}  // namespace

void WriteSoundVolume(DWORD value) { WriteSettingDword(kSoundVolumeValue, value); }
void WriteSoundBalance(DWORD value) { WriteSettingDword(kSoundBalanceValue, value); }
void WriteMuteSound(DWORD value) { WriteSettingDword(kMuteSoundValue, value); }
void WritePicturePosition(DWORD value) { WriteSettingDword(kPicturePositionValue, value); }

int GetPicturePosition() {
  if (!g_PicturePositionRead) {
    ReadSettingDword(&g_PicturePosition, kPicturePositionValue);
    // A stored value outside the three positions would reach the 2D view as an unknown mode.
    if (g_PicturePosition > kFill) g_PicturePosition = kFill;
    g_PicturePositionRead = true;
  }
  return static_cast<int>(g_PicturePosition);
}

void SetPicturePosition(int value) {
  GetPicturePosition();
  if (value < 0 || static_cast<DWORD>(value) > kFill) return;
  g_PicturePosition = static_cast<DWORD>(value);
  WritePicturePosition(g_PicturePosition);
}
