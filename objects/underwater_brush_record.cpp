// The stored record "DS_UnderwaterFX", version 1: the amplitude and frequency values, then a whole
// "DS_FX_Constructor" record. The brush is read only inside the underwater layer's record, so it
// joins no registry; its effect's native program joins the effect programs from here.
#include "objects/underwater_brush.h"
#include "objects/underwater_brush_program.h"
#include "platform/d3dx9/effect_programs.h"

namespace {
constexpr DWORD kUnderwaterVersion = 1;
const ds_string kUnderwaterClass = u"DS_UnderwaterFX";

const bool g_UnderwaterProgramRegistered = d3dx9::RegisterEffectProgram("underwater_wobble", &UnderwaterWobbleProgram);
}  // namespace

void DS_UnderwaterFX::ReadFields(DS_IOF_Virtual** stream) {
  ReadScaledValue(*stream, amplitude);
  ReadScaledValue(*stream, frequency);
  ReadBase(stream);
}

std::unique_ptr<DS_UnderwaterFX> ReadUnderwaterFXObject(DS_IOF_Virtual** stream) {
  ds_string className;  // known from the record's place in the layer
  DWORD version = 0;    // there is only the one
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  auto brush = std::make_unique<DS_UnderwaterFX>();
  brush->ReadFields(stream);
  return brush;
}

bool WriteUnderwaterFXRecord(DS_IOF_Virtual** stream, DS_UnderwaterFX& brush) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kUnderwaterClass);
  out->WriteULong(&kUnderwaterVersion);
  out->WriteUInt(&brush.amplitude.value);
  out->WriteUInt(&brush.frequency.value);
  return brush.SaveBase(stream) && !out->Failed();
}

bool DS_UnderwaterFX::Save(DS_IOF_Virtual** stream) {
  return WriteUnderwaterFXRecord(stream, *this);
}
