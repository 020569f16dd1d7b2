// The pan-and-zoom camera of a 2D layer: a slow random walk over the slightly enlarged picture. Each
// frame it advances its own clock, starts a new segment (a short pause or a move to a new pan target)
// when the current one has ended, eases between the segment's ends with a cosine, and writes the
// result into the 2D view's camera matrix. A disabled or stopped camera sets the neutral matrix.
#pragma once
#include <memory>

#include "document/image_file_link.h"
#include "document/iof_item.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"

class DSM_Camera : public DS_IOF_Item {
 public:
  DSM_Camera();
  DSM_Camera(const DSM_Camera&) = delete;
  // Takes settings, clock and walk; the zoom, speed and enabled values tell their observers.
  DSM_Camera& operator=(const DSM_Camera& other);

  bool Save(DS_IOF_Virtual** stream) override;

  // t: the absolute scene time.
  void AdvanceFrame(float t);
  // Starts the next segment at the camera clock `clock`.
  void NextSegment(float clock);

  MediaParamT<int> enabled;
  UINTSclaleTo<float> zoom;   // zoom = 0.01 x stored value
  MediaSpeedParam speed;      // clock rate = 0.02 x stored value; its accumulated time is the clock
  MediaParamTB<int> mode;     // 1: running (set when the layer's slide becomes current); not stored
  DS_ImageFileLink borderPicture;
  float startPanX = 0.0f, endPanX = 0.0f;
  float startPanY = 0.0f, endPanY = 0.0f;
  float startTime = 0.0f, endTime = 0.0f;
  // What the last frame move wrote into the view, so that the layer can write it again before it
  // draws: the view is shared by the layers of every monitor. Not stored.
  float viewZoom = 1.0f, viewPanX = 0.0f, viewPanY = 0.0f;
};

// The "DSM_Camera" record, version 2.
void WriteCameraRecord(DS_IOF_Virtual** stream, const DSM_Camera& camera);
void WriteCameraFields(DS_IOF_Virtual** stream, const DSM_Camera& camera);
// Reads the header and a camera's fields; the new camera belongs to the caller. The caller checks the
// stream for failure.
std::unique_ptr<DSM_Camera> ReadCameraObject(DS_IOF_Virtual** stream);
void ReadCameraFields(DS_IOF_Virtual** stream, DWORD version, DSM_Camera& camera);
