// The settings dialog of configure mode (106) and the sound dialog (2214) it opens, and the display
// settings' way to and from the registry.
#include <commctrl.h>

#include <algorithm>

#include "host/application_settings.h"
#include "host/launch_browser.h"
#include "host/moire_screensaver.h"
#include "host/settings_banner.h"

namespace {

constexpr WORD kSettingsDialog = 106;
constexpr WORD kSoundDialog = 2214;
constexpr int kDisplaySettingsButton = 1006;
constexpr int kSoundSettingsButton = 1007;
constexpr int kMoreScreensaversButton = 1017;
constexpr int kVolume = 1021;
constexpr int kMute = 1022;
constexpr int kPicturePosition = 1023;
constexpr DWORD kFullVolume = 100;

const WCHAR kCatalogueAddress[] = u"http://www.quillmoor.example/Vistacraft.php";
const WCHAR* const kPositionNames[] = {u"Stretch", u"Fit", u"Fill"};

HKEY OpenSettingsKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, g_SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

INT_PTR CALLBACK SettingsDialogStub(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return g_MoireScreensaver ? g_MoireScreensaver->SettingsDialogProc(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK SoundDialogStub(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return g_Screensaver ? g_Screensaver->SoundDialogProc(dialog, message, wParam, lParam) : FALSE;
}

}  // namespace

void CMoireScreensaver::ReloadSettings() {
  if (HKEY key = OpenSettingsKey()) {
    ReadDisplaySettings(key);
    RegCloseKey(key);
  }
}

void CMoireScreensaver::WriteSettings() {
  if (HKEY key = OpenSettingsKey()) {
    WriteDisplaySettings(key);
    RegCloseKey(key);
  }
}

void CMoireScreensaver::LoadSettings() { ReloadSettings(); }

void CMoireScreensaver::RunSettingsDialog() {
  DialogBoxParamW(m_instance, MAKEINTRESOURCEW(kSettingsDialog), m_parentWindow, SettingsDialogStub, 0);
}

INT_PTR CMoireScreensaver::SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      // The display settings reach the registry on OK only: writing them here would overwrite, even
      // on Cancel, the mode of a monitor that was chosen on another graphics card.
      SetWindowTextW(dialog, m_windowTitle);
      for (const WCHAR* name : kPositionNames)
        SendDlgItemMessageW(dialog, kPicturePosition, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
      SendDlgItemMessageW(dialog, kPicturePosition, CB_SETCURSEL, static_cast<WPARAM>(GetPicturePosition()), 0);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint = {};
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      PaintSettingsBanner(m_instance, dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          SetPicturePosition(static_cast<int>(SendDlgItemMessageW(dialog, kPicturePosition, CB_GETCURSEL, 0, 0)));
          WriteSettings();
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          ReloadSettings();  // undoes what the display-settings dialog changed
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case kDisplaySettingsButton:
          DoDisplaySettingsDialog(dialog);
          return TRUE;
        case kSoundSettingsButton:
          DialogBoxParamW(m_instance, MAKEINTRESOURCEW(kSoundDialog), dialog, SoundDialogStub, 0);
          return TRUE;
        case kMoreScreensaversButton:
          LaunchBrowser(kCatalogueAddress);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

INT_PTR CMoireScreensaver::SoundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      SoundDialogCopies& copies = m_soundDialogCopies;
      ReadSettingDword(&copies.volume, kSoundVolumeValue);
      ReadSettingDword(&copies.balance, kSoundBalanceValue);
      ReadSettingDword(&copies.mute, kMuteSoundValue);
      // A stored volume beyond the scale shows as full volume.
      const DWORD volume = std::min(copies.volume, kFullVolume);
      SendDlgItemMessageW(dialog, kVolume, TBM_SETTICFREQ, 10, 0);
      SendDlgItemMessageW(dialog, kVolume, TBM_SETRANGE, FALSE, MAKELPARAM(0, kFullVolume));
      // The top of the vertical trackbar (position 0) is full volume.
      SendDlgItemMessageW(dialog, kVolume, TBM_SETPOS, TRUE, static_cast<LPARAM>(kFullVolume - volume));
      CheckDlgButton(dialog, kMute, copies.mute ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          const LRESULT position = SendDlgItemMessageW(dialog, kVolume, TBM_GETPOS, 0, 0);
          WriteSoundVolume(kFullVolume - static_cast<DWORD>(std::clamp<LRESULT>(position, 0, LRESULT{kFullVolume})));
          // The dialog has no balance control: the stored balance stays as it was, rather than being
          // turned to one side.
          WriteSoundBalance(m_soundDialogCopies.balance);
          WriteMuteSound(IsDlgButtonChecked(dialog, kMute) == BST_CHECKED ? 1 : 0);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
