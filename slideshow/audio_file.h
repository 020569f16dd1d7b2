// One music entry of the soundtrack: a display title and the embedded audio file (the path it was
// embedded under, its bytes and size), which the sound side writes out before playing it.
#pragma once
#include "document/ds_string.h"
#include "document/iof_item.h"
#include "document/resource_record.h"

class DS_AudioFile : public DS_IOF_Item {
 public:
  // Writes the "DS_AudioFile" record.
  bool Save(DS_IOF_Virtual** stream) override;
  // Makes the entry playable from a file of its own before the playlist starts (the sound side).
  void ExtractToTemp();

  ds_string title;
  ResourceRecord file;  // name: the stored path; bytes and size: the whole file
};

// A whole "DS_AudioFile" record, header included (read and ignored): title, then the file's blob.
// The entry is new and owned by the caller.
DS_AudioFile* ReadAudioFileObject(DS_IOF_Virtual** stream);
void WriteAudioFileRecord(DS_IOF_Virtual** stream, const DS_AudioFile& audio);
