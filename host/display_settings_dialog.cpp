// The display-settings dialogs: the page of the selected monitor, the edits of its controls, and
// Cancel, which puts back every adapter record as it was when the dialog opened.
#include <commctrl.h>

#include <vector>

#include "host/display_texts.h"
#include "host/screensaver.h"

namespace {

constexpr int kTabs = 2000;
constexpr int kTabTitleFormat = 2001;
constexpr int kAdapterName = 2002;
constexpr int kRendering = 2003;
constexpr int kHelp = 2004;
constexpr int kDisableHardware = 2005;
constexpr int kUsageGroup = 2006;
constexpr int kShowSaver = 2007;
constexpr int kShowNothing = 2008;
constexpr int kModeGroup = 2009;
constexpr int kModeLabel = 2010;
constexpr int kModes = 2011;
constexpr int kAutomaticText = 2012;
constexpr int kModeNote = 2013;
constexpr int kReverseOrder = 2015;
constexpr int kModeFormat = 2016;

// The records as they were when the dialog opened, for Cancel.
struct SavedSettings {
  std::vector<AdapterEntry> adapters;
  BOOL reverseOrder = FALSE;
};

SavedSettings& Saved() {
  static SavedSettings saved;
  return saved;
}

UINT ColorBits(D3DFORMAT format) {
  return format == D3DFMT_R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 32 : 16;
}

// The mode controls are usable exactly while the monitor shows the screen saver.
void EnableModeControls(HWND dialog) {
  const BOOL enable = IsDlgButtonChecked(dialog, kShowNothing) != BST_CHECKED;
  for (int id : {kModes, kModeLabel, kModeGroup, kModeNote}) EnableWindow(GetDlgItem(dialog, id), enable);
}

const DeviceTypeEntry* CurrentType(const AdapterEntry& adapter) {
  if (adapter.currentDeviceType >= adapter.deviceTypeCount) return nullptr;
  return &adapter.deviceTypes[adapter.currentDeviceType];
}

}  // namespace

INT_PTR CALLBACK CD3DScreensaver::DisplaySettingsDialogStub(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return g_Screensaver ? g_Screensaver->DisplaySettingsDialogProc(dialog, message, wParam, lParam) : FALSE;
}

void CD3DScreensaver::DoDisplaySettingsDialog(HWND parent) {
  const WORD id = m_adapterCount < 2 ? 200 : 201;
  DialogBoxParamW(m_instance, MAKEINTRESOURCEW(id), parent, DisplaySettingsDialogStub, 0);
}

UINT CD3DScreensaver::SelectedMonitor(HWND dialog, UINT tabMessage) {
  // Without a tab control (dialog 200) the page is that of the first monitor.
  if (!GetDlgItem(dialog, kTabs)) return 0;
  const LRESULT tab = SendDlgItemMessageW(dialog, kTabs, tabMessage, 0, 0);
  return tab < 0 ? 0 : static_cast<UINT>(tab);
}

void CD3DScreensaver::FillAdapterPage(HWND dialog) {
  const UINT monitor = SelectedMonitor(dialog, TCM_GETCURFOCUS);
  AdapterEntry* adapter = AdapterOfMonitor(monitor);
  SetDlgItemTextW(dialog, kAdapterName, monitor < m_monitorCount ? m_monitors[monitor].adapterDescription : u"");

  WCHAR text[512] = {};
  LoadStringW(m_instance, RenderingTextId(adapter), text, 512);
  SetDlgItemTextW(dialog, kRendering, text);

  const bool halUsable = adapter && adapter->halUsable;
  EnableWindow(GetDlgItem(dialog, kDisableHardware), halUsable);
  CheckDlgButton(dialog, kDisableHardware, halUsable && adapter->disableHardware ? BST_CHECKED : BST_UNCHECKED);

  const bool usable = adapter && ((adapter->halUsable && !adapter->disableHardware) || adapter->softwareUsable);
  for (int id : {kUsageGroup, kShowSaver, kShowNothing}) EnableWindow(GetDlgItem(dialog, id), usable);
  CheckRadioButton(dialog, kShowSaver, kShowNothing, !usable || adapter->leaveBlack ? kShowNothing : kShowSaver);
  EnableModeControls(dialog);

  SendDlgItemMessageW(dialog, kModes, CB_RESETCONTENT, 0, 0);
  if (!adapter) return;
  GetDlgItemTextW(dialog, kAutomaticText, text, 512);
  SendDlgItemMessageW(dialog, kModes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendDlgItemMessageW(dialog, kModes, CB_SETITEMDATA, 0, -1);
  WCHAR format[128] = {};
  GetDlgItemTextW(dialog, kModeFormat, format, 128);
  LRESULT selected = 0;
  if (const DeviceTypeEntry* type = CurrentType(*adapter)) {
    for (UINT i = 0; i < type->modeCount; ++i) {
      const DisplayModeEntry& mode = type->modes[i];
      wsprintfW(text, format, static_cast<int>(mode.width), static_cast<int>(mode.height),
                static_cast<int>(ColorBits(mode.format)));
      const LRESULT item = SendDlgItemMessageW(dialog, kModes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendDlgItemMessageW(dialog, kModes, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(i));
      if (mode.width == adapter->chosenWidth && mode.height == adapter->chosenHeight &&
          mode.format == adapter->chosenFormat)
        selected = item;
    }
  }
  SendDlgItemMessageW(dialog, kModes, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

INT_PTR CD3DScreensaver::DisplaySettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      WCHAR format[64] = {};
      GetDlgItemTextW(dialog, kTabTitleFormat, format, 64);
      for (UINT m = 0; m < m_monitorCount; ++m) {
        WCHAR title[96] = {};
        wsprintfW(title, format, static_cast<int>(m + 1));
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        SendDlgItemMessageW(dialog, kTabs, TCM_INSERTITEMW, m, reinterpret_cast<LPARAM>(&item));
      }
      SavedSettings& saved = Saved();
      saved.adapters.clear();
      for (UINT a = 0; a < m_adapterCount; ++a) saved.adapters.push_back(*m_adapters[a]);
      saved.reverseOrder = m_reverseOrder;
      FillAdapterPage(dialog);
      CheckDlgButton(dialog, kReverseOrder, m_reverseOrder ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && header->code == TCN_SELCHANGE) {
        FillAdapterPage(dialog);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      break;
    default:
      return FALSE;
  }

  const int id = LOWORD(wParam);
  AdapterEntry* adapter = AdapterOfMonitor(SelectedMonitor(dialog, TCM_GETCURSEL));
  switch (id) {
    case IDOK:
      Saved().adapters.clear();
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL: {
      SavedSettings& saved = Saved();
      for (UINT a = 0; a < m_adapterCount && a < saved.adapters.size(); ++a) *m_adapters[a] = saved.adapters[a];
      m_reverseOrder = saved.reverseOrder;
      saved.adapters.clear();
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    }
    case kHelp: {
      const UINT monitor = SelectedMonitor(dialog, TCM_GETCURSEL);
      const bool hasMonitor = monitor < m_monitorCount && m_monitors[monitor].monitor != nullptr;
      WCHAR text[512] = {};
      LoadStringW(m_instance, DisplayHelpTextId(adapter, hasMonitor), text, 512);
      MessageBoxW(dialog, text, monitor < m_monitorCount ? m_monitors[monitor].adapterDescription : u"",
                  MB_ICONINFORMATION);
      return TRUE;
    }
    case kDisableHardware:
      if (adapter) {
        adapter->disableHardware = IsDlgButtonChecked(dialog, kDisableHardware) == BST_CHECKED;
        FillAdapterPage(dialog);
      }
      return TRUE;
    case kShowSaver:
    case kShowNothing:
      if (adapter) adapter->leaveBlack = IsDlgButtonChecked(dialog, kShowNothing) == BST_CHECKED;
      EnableModeControls(dialog);
      return TRUE;
    case kModes: {
      if (HIWORD(wParam) != CBN_SELCHANGE || !adapter) return TRUE;
      const LRESULT item = SendDlgItemMessageW(dialog, kModes, CB_GETCURSEL, 0, 0);
      if (item == CB_ERR) return TRUE;
      if (item == 0) {
        adapter->chosenWidth = 0;
        adapter->chosenHeight = 0;
        adapter->chosenFormat = D3DFMT_UNKNOWN;
        return TRUE;
      }
      const LRESULT mode = SendDlgItemMessageW(dialog, kModes, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
      const DeviceTypeEntry* type = CurrentType(*adapter);
      if (type && mode >= 0 && static_cast<UINT>(mode) < type->modeCount) {
        adapter->chosenWidth = type->modes[mode].width;
        adapter->chosenHeight = type->modes[mode].height;
        adapter->chosenFormat = type->modes[mode].format;
      }
      return TRUE;
    }
    case kReverseOrder:
      m_reverseOrder = IsDlgButtonChecked(dialog, kReverseOrder) == BST_CHECKED;
      return TRUE;
    default:
      return FALSE;
  }
}
