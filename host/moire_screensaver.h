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

  void OnSelectDevice(UINT index) override;
  // Only devices that can bump-map V8U8 textures draw the scene's water and glass.
  HRESULT AcceptDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT format) override;
  // Starts the sound device; after a reset, gives a started scene its device objects back.
  HRESULT RestoreDeviceResources() override;
  // The current monitor scene's step: the splash, the scene start, or a frame of the scene.
  HRESULT Render() override;
  // Stops sound and music and releases the music player and the current scene's device objects.
  HRESULT ReleaseDeviceResources() override;
  void OnGraphEvent(LONG code) override;

 protected:
  MonitorScene m_monitorScenes[10];
  MonitorScene* m_currentMonitorScene = nullptr;
};
