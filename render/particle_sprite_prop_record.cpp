// The stored record "DS_BaseSpriteProp", version 6, that every stored particle class ends with.
// Older versions differ in a few rows: versions 1 and 2 carry the speed of the placed-element part
// after the count; version 1 carries its pictures as embedded records instead of links, and ends
// with their frame times; image mode, flips and refill came with versions 4, 5 and 6.
#include <utility>

#include "document/doc_res_manager.h"
#include "document/file_link.h"
#include "document/stream_reads.h"
#include "render/particle_sprite_prop.h"

namespace {

const ds_string kClassName = u"DS_BaseSpriteProp";
constexpr DWORD kVersion = 6;
constexpr DWORD kMinRecordBytes = 4 + 4 + 4 + 4;  // id, library, size, name

void WriteLink(DS_IOF_Virtual** stream, const DS_ImageFileLink& link) {
  if (g_DocResManager) g_DocResManager->MarkUsed(link);
  WriteFileLink(stream, link);
}

}  // namespace

bool DS_BaseSpriteProp::Save(DS_IOF_Virtual** stream) {
  SaveBase(stream);
  return true;
}

bool DS_BaseSpriteProp::SaveBase(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  DS_ViewObjCtrl::SaveBase(stream);
  out->WriteUInt(&count.value);
  out->WriteUInt(&size.value);
  out->WriteUInt(&transparency.value);
  out->WriteInt(&blendMode.value);
  out->WriteULong(&color.value);
  for (const float* value : {&alphaRate, &alphaMinimum, &alphaMaximum, &sizeFactorMinimum, &sizeFactorMaximum})
    out->WriteFloat(value);
  WriteLink(stream, imageLink);
  WriteLink(stream, maskLink);
  out->WriteUInt(&reservedCount);
  out->WriteFloat(&reservedValue);
  out->WriteUInt(&frameCount);
  out->WriteFloat(&frameRate);
  out->WriteBool(&stripAnimation);
  out->WriteInt(&imageMode);
  out->WriteInt(&verticalFlip.value);
  out->WriteInt(&horizontalFlip.value);
  out->WriteInt(&refillOnImageChange.value);
  return true;
}

bool DS_BaseSpriteProp::ReadBase(DS_IOF_Virtual** stream) {
  ds_string className;  // known from its place: read and ignored
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  return ReadFields(stream, version);
}

bool DS_BaseSpriteProp::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  DS_ViewObjCtrl::ReadBase(stream);
  DS_IOF_Virtual* in = *stream;
  in->ReadUInt(&count.value);
  if (version <= 2) in->ReadUInt(&speed.value);
  in->ReadUInt(&size.value);
  UINT storedTransparency = transparency.value;
  in->ReadUInt(&storedTransparency);
  transparency.SetAndNotify(storedTransparency);
  in->ReadInt(&blendMode.value);
  in->ReadULong(&color.value);
  for (float* value : {&alphaRate, &alphaMinimum, &alphaMaximum, &sizeFactorMinimum, &sizeFactorMaximum})
    in->ReadFloat(value);
  if (version == 1) {
    const DWORD pictures = ReadCount(stream, kMinRecordBytes);
    legacyPictures.clear();
    for (DWORD i = 0; i < pictures && !in->Failed(); ++i) {
      ResourceRecord record;
      in->ReadResourceRecord(&record);
      if (!in->Failed()) legacyPictures.push_back(std::move(record));
    }
    in->ReadResourceRecord(&legacyMask);
  } else {
    ReadFileLink(stream, &imageLink);
    ReadFileLink(stream, &maskLink);
  }
  in->ReadUInt(&reservedCount);
  in->ReadFloat(&reservedValue);
  in->ReadUInt(&frameCount);
  in->ReadFloat(&frameRate);
  in->ReadBool(&stripAnimation);
  if (version == 1) {
    legacyFrameTimes.clear();
    ReadFloatVector(stream, &legacyFrameTimes);
    return !in->Failed();
  }
  if (version >= 4) in->ReadInt(&imageMode);
  if (version >= 5) {
    in->ReadInt(&verticalFlip.value);
    in->ReadInt(&horizontalFlip.value);
  }
  if (version >= 6) in->ReadInt(&refillOnImageChange.value);
  return !in->Failed();
}
