// The stored record "DS_WAV_Constructor", version 1: the file link, then the "DS_Sound_Ctrl" level
// with its five fields and the base record.
#include "document/doc_res_manager.h"
#include "sound/wav_constructor.h"

namespace {
constexpr DWORD kWavVersion = 1;
const ds_string kWavClass = u"DS_WAV_Constructor";

const IOF_Virtual_ReaderT<DS_WAV_Constructor> g_WavReader;
const bool g_WavRegistered = RegisterReader(GetConstructorRegistry(), kWavClass, g_WavReader);
}  // namespace

template <>
void IOF_ReadFields<DS_WAV_Constructor>(DS_IOF_Virtual** stream, DWORD, DS_WAV_Constructor& sound) {
  ReadFileLink(stream, &sound.file);
  sound.Read(stream);
}

bool DS_WAV_Constructor::Save(DS_IOF_Virtual** stream) {
  WriteBody(stream);
  return true;
}

void DS_WAV_Constructor::WriteBody(DS_IOF_Virtual** stream) const {
  (*stream)->WriteString(&kWavClass);
  (*stream)->WriteULong(&kWavVersion);
  if (g_DocResManager) g_DocResManager->RegisterFileLink(file);
  WriteFileLink(stream, file);
  DS_Sound_Ctrl::WriteBody(stream);
}
