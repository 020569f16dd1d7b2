// The stored record "DS_FireFX", version 2: the corners, colours, two stored ints, the pattern and
// noise links and three scaled values (from version 2), then a whole "DS_FX_Constructor" record.
// The fire effect's native program joins the effect programs from here, with the reader.
#include <memory>

#include "document/class_registry.h"
#include "document/doc_res_manager.h"
#include "objects/fire_brush.h"
#include "objects/fire_brush_program.h"
#include "platform/d3dx9/effect_programs.h"

namespace {
constexpr DWORD kFireVersion = 2;
const ds_string kFireClass = u"DS_FireFX";

const IOF_Virtual_ReaderT<DS_FireFX> g_FireFXReader;
const bool g_FireFXRegistered = RegisterReader(GetConstructorRegistry(), kFireClass, g_FireFXReader);
const bool g_FireProgramRegistered = d3dx9::RegisterEffectProgram("fire_flame", &FireFlameProgram);
}  // namespace

template <>
void IOF_ReadFields<DS_FireFX>(DS_IOF_Virtual** stream, DWORD version, DS_FireFX& fire) {
  fire.ReadFields(stream, version);
}

void DS_FireFX::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  DS_IOF_Virtual* in = *stream;
  if (version > 1) {
    ReadMediaQuad(stream, &quad);
    in->ReadULong(&colorA.value);
    in->ReadULong(&colorB.value);
    in->ReadInt(&storedInt1.value);
    ReadFileLink(stream, &patternLink);
    ReadFileLink(stream, &noiseLink);
    in->ReadInt(&storedInt2.value);
    ReadScaledValue(in, density);
    ReadScaledValue(in, brightness);
    ReadScaledValue(in, textureRepeat);
  }
  ReadBase(stream);
}

DS_FireFX* ReadFireFX(DS_IOF_Virtual** stream) {
  ds_string className;  // the flame layer knows the class from the record's place
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  auto fire = std::make_unique<DS_FireFX>();
  fire->ReadFields(stream, version);
  return fire.release();
}

bool DS_FireFX::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kFireClass);
  (*stream)->WriteULong(&kFireVersion);
  SaveFields(stream);
  return true;
}

void DS_FireFX::SaveFields(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  WriteMediaQuad(stream, quad);
  out->WriteULong(&colorA.value);
  out->WriteULong(&colorB.value);
  out->WriteInt(&storedInt1.value);
  if (g_DocResManager) g_DocResManager->MarkUsed(patternLink);
  WriteFileLink(stream, patternLink);
  if (g_DocResManager) g_DocResManager->MarkUsed(noiseLink);
  WriteFileLink(stream, noiseLink);
  out->WriteInt(&storedInt2.value);
  out->WriteUInt(&density.value);
  out->WriteUInt(&brightness.value);
  out->WriteUInt(&textureRepeat.value);
  SaveBase(stream);
}
