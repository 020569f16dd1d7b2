#include "objects/discharge_constructor.h"

#include "render/random.h"

namespace {
const ds_string kClassName = u"DS_DischargeConstructor";
constexpr DWORD kVersion = 1;

const IOF_Virtual_ReaderT<DS_DischargeConstructor> g_DischargeReader;
const bool g_DischargeRegistered = RegisterReader(GetConstructorRegistry(), kClassName, g_DischargeReader);
}  // namespace

template <>
void IOF_ReadFields<DS_DischargeConstructor>(DS_IOF_Virtual** stream, DWORD, DS_DischargeConstructor& discharge) {
  discharge.ReadLevel(stream);
}

bool DS_DischargeConstructor::Save(DS_IOF_Virtual** stream) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  return SaveLevel(stream);
}

DS_ParticleSystemCtrl* DS_DischargeConstructor::Clone() const { return new DS_DischargeConstructor(*this); }

UINT DS_DischargeConstructor::NextFrame(UINT current) {
  if (frameCount <= 1) return current;
  UINT frame = 0;
  do {
    frame = static_cast<UINT>(Rand()) % frameCount;
  } while (frame == current);
  return frame;
}
