// The stored record "FakeUndervater", version 2: the underwater brush record (version 1 held only
// the brush's clock value), then a whole "DS_2D_Light" record as the base part.
#include "objects/underwater_light.h"

namespace {
constexpr DWORD kUnderwaterLightVersion = 2;
const ds_string kUnderwaterLightClass = u"FakeUndervater";

const IOF_Virtual_ReaderT_II<FakeUndervater, DS_2D_Light> g_UnderwaterLightReader;
const bool g_UnderwaterLightRegistered =
    RegisterReader(GetLightRegistry(), kUnderwaterLightClass, g_UnderwaterLightReader);
}  // namespace

template <>
void IOF_ReadFields<FakeUndervater>(DS_IOF_Virtual** stream, DWORD version, FakeUndervater& light) {
  ReadFakeUndervaterFields(stream, version, light);
}

void ReadFakeUndervaterFields(DS_IOF_Virtual** stream, DWORD version, FakeUndervater& light) {
  if (version == 1) {
    // Stored at twice the clock value the brush runs at.
    UINT stored = light.brush.speed.value;
    (*stream)->ReadUInt(&stored);
    light.brush.speed.SetAndNotify(stored);
    light.brush.speed.SetAndNotify(light.brush.speed.value >> 1);
  } else {
    const std::unique_ptr<DS_UnderwaterFX> read = ReadUnderwaterFXObject(stream);
    light.brush = *read;
  }
  Read2DLightRecord(stream, light);
}

bool WriteFakeUndervaterRecord(DS_IOF_Virtual** stream, FakeUndervater& light) {
  (*stream)->WriteString(&kUnderwaterLightClass);
  (*stream)->WriteULong(&kUnderwaterLightVersion);
  const bool brushWritten = WriteUnderwaterFXRecord(stream, light.brush);
  Write2DLightRecord(stream, light);
  return brushWritten && !(*stream)->Failed();
}

bool FakeUndervater::Save(DS_IOF_Virtual** stream) { return WriteFakeUndervaterRecord(stream, *this); }
