// The application: the framework with this screensaver's settings, its device requirement and one
// monitor scene per device.
#pragma once
#include "host/monitor_scene.h"
#include "host/screensaver.h"

class CMoireScreensaver;
extern CMoireScreensaver* g_MoireScreensaver;

class CMoireScreensaver : public CD3DScreensaver {
 public:
  CMoireScreensaver();

  // The settings dialog 106 of configure mode.
  void RunSettingsDialog() override;
  void LoadSettings() override;
  // The sound dialog 2214: the volume as an upside-down trackbar (full at the top) and Mute.
  INT_PTR SoundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
  INT_PTR SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  // The display settings to and from the registry, under the settings key.
  void ReloadSettings();
  void WriteSettings();

  void OnSelectDevice(UINT index) override;
  // Only devices that can bump-map V8U8 textures draw the scene's water and glass.
  HRESULT AcceptDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT format) override;
  // Starts the sound device; after a reset, gives a started scene its device objects back.
  HRESULT RestoreDeviceResources() override;
  // The current monitor scene's step: the splash, the scene start, or a frame of the scene.
  HRESULT Render() override;
  // Silences and stops the sound device's primary buffer and releases the current scene's device
  // objects.
  HRESULT ReleaseDeviceResources() override;
  // Stops and releases the music player and silences the sound effects when the run ends.
  HRESULT CleanupAtExit() override;
  void OnGraphEvent(LONG code) override;

 protected:
  // The sound dialog's copies of the stored values, for the whole run: each opening reads them from
  // the registry, a value it does not hold keeping the one read before (or the default), and OK
  // writes them back. The balance has no control; it is kept as stored.
  struct SoundDialogCopies {
    DWORD volume = 100;
    DWORD balance = 50;
    DWORD mute = 0;
  };

  MonitorScene m_monitorScenes[10];
  MonitorScene* m_currentMonitorScene = nullptr;
  // The first monitor scene that started: it plays the process's sound effects and soundtrack, and
  // the music's events advance its playlist.
  MonitorScene* m_soundScene = nullptr;
  SoundDialogCopies m_soundDialogCopies;
};
