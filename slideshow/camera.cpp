#include "slideshow/camera.h"

#include <cmath>

#include "document/doc_res_manager.h"
#include "render/random.h"
#include "slideshow/view_2d.h"

namespace {
constexpr float kPi = 3.1415927f;
constexpr DWORD kCameraVersion = 2;
const ds_string kCameraClass = u"DSM_Camera";

// A library link: resource `id` of the scene's picture library.
DS_FileLink3 LibraryPicture(INT id) { return DS_FileLink3::ConstructFromResource(id, u"vaultkit.dll"); }
}  // namespace

DSM_Camera::DSM_Camera() {
  enabled = 0;
  zoom.scale = 0.01f;
  zoom.offset = 0.0f;
  zoom.SetAndNotify(120);
  speed.scale = 0.02f;
  speed.offset = 0.0f;
  speed.SetAndNotify(50);
  mode = 0;
  borderPicture = LibraryPicture(6);
}

DSM_Camera& DSM_Camera::operator=(const DSM_Camera& other) {
  if (this == &other) return *this;
  enabled.SetAndNotify(other.enabled.value);
  zoom.SetAndNotify(other.zoom.value);
  zoom.scale = other.zoom.scale;
  zoom.offset = other.zoom.offset;
  zoom.OnChange(nullptr);
  speed.SetAndNotify(other.speed.value);
  speed.scale = other.speed.scale;
  speed.offset = other.speed.offset;
  speed.OnChange(nullptr);
  speed.last = other.speed.last;
  speed.accumulated = other.speed.accumulated;
  speed.step = other.speed.step;
  mode = other.mode.value;
  borderPicture = static_cast<const DS_FileLink3&>(other.borderPicture);
  startPanX = other.startPanX;
  endPanX = other.endPanX;
  startPanY = other.startPanY;
  endPanY = other.endPanY;
  startTime = other.startTime;
  endTime = other.endTime;
  viewZoom = other.viewZoom;
  viewPanX = other.viewPanX;
  viewPanY = other.viewPanY;
  return *this;
}

void DSM_Camera::AdvanceFrame(float t) {
  speed.Update(t);
  const float clock = speed.accumulated;
  float z = 1.0f, panX = 0.0f, panY = 0.0f;
  if (enabled.value != 0 && mode.value == 1) {
    // A new segment always starts at the clock and ends after it; only a clock so large that a
    // segment's length vanishes in single precision could leave it ended, and then it stays so.
    while (clock >= endTime) {
      NextSegment(clock);
      if (endTime <= clock) break;
    }
    z = zoom.derived;
    float f = 1.0f;
    if (endTime > startTime) {
      f = std::cos((clock - startTime) * kPi / (endTime - startTime));
      f = (1.0f - f) * 0.5f;
    }
    panX = startPanX + f * (endPanX - startPanX);
    panY = startPanY + f * (endPanY - startPanY);
  }
  viewZoom = z;
  viewPanX = panX;
  viewPanY = panY;
  g_View2D.SetCamera(z, panX, panY);
}

void DSM_Camera::NextSegment(float clock) {
  startTime = clock;
  startPanX = endPanX;
  startPanY = endPanY;
  const int r = Rand();
  if (r % 2 == 0) {
    endTime = startTime + 0.5f;
    return;
  }
  // Integer divisions: pans of -1, 0 or (rarely) 1 and moves of 5, 6 or (rarely) 7 clock seconds.
  endPanX = static_cast<float>(2 * Rand() / 32767) - 1.0f;
  endPanY = static_cast<float>(2 * Rand() / 32767) - 1.0f;
  endTime = startTime + static_cast<float>(2 * Rand() / 32767 + 5);
}

bool DSM_Camera::Save(DS_IOF_Virtual** stream) {
  WriteCameraRecord(stream, *this);
  return true;
}

void WriteCameraRecord(DS_IOF_Virtual** stream, const DSM_Camera& camera) {
  (*stream)->WriteString(&kCameraClass);
  (*stream)->WriteULong(&kCameraVersion);
  WriteCameraFields(stream, camera);
}

void WriteCameraFields(DS_IOF_Virtual** stream, const DSM_Camera& camera) {
  const INT enabled = camera.enabled.value;
  const UINT zoom = camera.zoom.value;
  const UINT speed = camera.speed.value;
  (*stream)->WriteInt(&enabled);
  (*stream)->WriteUInt(&zoom);
  (*stream)->WriteUInt(&speed);
  if (g_DocResManager) g_DocResManager->MarkUsed(camera.borderPicture);
  WriteFileLink(stream, camera.borderPicture);
}

std::unique_ptr<DSM_Camera> ReadCameraObject(DS_IOF_Virtual** stream) {
  ds_string name;
  DWORD version = 0;
  (*stream)->ReadString(&name);
  (*stream)->ReadULong(&version);
  auto camera = std::make_unique<DSM_Camera>();
  ReadCameraFields(stream, version, *camera);
  return camera;
}

void ReadCameraFields(DS_IOF_Virtual** stream, DWORD version, DSM_Camera& camera) {
  (*stream)->ReadInt(&camera.enabled.value);
  UINT zoom = camera.zoom.value;
  (*stream)->ReadUInt(&zoom);
  camera.zoom.SetAndNotify(zoom);
  UINT speed = camera.speed.value;
  (*stream)->ReadUInt(&speed);
  camera.speed.SetAndNotify(speed);
  if (version > 1) ReadFileLink(stream, &camera.borderPicture);
}
