#include "slideshow/audio_file.h"

#include <memory>

#include "document/iof_virtual.h"

namespace {
const ds_string kClassName = u"DS_AudioFile";
constexpr DWORD kVersion = 1;
}  // namespace

bool DS_AudioFile::Save(DS_IOF_Virtual** stream) {
  WriteAudioFileRecord(stream, *this);
  return true;
}

DS_AudioFile* ReadAudioFileObject(DS_IOF_Virtual** stream) {
  ds_string className;  // the class is known from its place: no registry is asked
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  auto audio = std::make_unique<DS_AudioFile>();
  (*stream)->ReadString(&audio->title);
  (*stream)->ReadBlob(&audio->file);
  return audio.release();
}

void WriteAudioFileRecord(DS_IOF_Virtual** stream, const DS_AudioFile& audio) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  (*stream)->WriteString(&audio.title);
  (*stream)->WriteBlob(&audio.file);
}
