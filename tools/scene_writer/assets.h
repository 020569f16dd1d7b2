// The files a scene document embeds, gathered while its records are written: each file named by the
// description gets one link (path and stamp) and one place in the resource manager's tables, the
// image table for pictures and the other-files table for effects, meshes and sounds; library links
// get a copy of the library's resource when the description says which file holds it; a lake's bump
// picture is kept under the lake's GUID, a brush's mask under the brush's. A sequence of pictures is
// one image entry with a record per picture and its frame times.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "document/file_link.h"
#include "document_writer.h"

namespace scene_writer {

using ReadFile = std::function<Bytes(const std::string&)>;

class Assets {
 public:
  // `read` gives the bytes of a file named by the description; `library` names the file that holds
  // a copy of each library resource the document may carry.
  Assets(ReadFile read, std::map<int64_t, std::string> library);

  // The link of an embedded file, the same for every use of the file.
  DS_FileLink3 Link(const std::string& file);
  // The link of an embedded sequence of pictures shown `frameTime` seconds each, named by its first.
  DS_FileLink3 Sequence(const std::vector<std::string>& frames, float frameTime);
  // A GUID, as its brace text, under which the GUID table carries `file`.
  std::string GuidPicture(const std::string& file);
  Bytes Read(const std::string& file) const { return read_(file); }

  // The resource manager's record, version 3: the image, frame-time, other-file and GUID tables,
  // with a copy of every library resource in `libraryIds` whose file is known.
  void WriteTables(DocumentWriter& out, const std::set<int64_t>& libraryIds) const;
  // Library ids the records name whose files the description does not give: these come from the
  // library itself at run time.
  std::vector<int64_t> Uncarried(const std::set<int64_t>& libraryIds) const;

 private:
  struct Embedded {
    std::vector<std::string> frames;  // one file, or the pictures of a sequence
    std::string path;
    int64_t stamp;
    float frameTime;  // seconds per picture of a sequence
  };
  ReadFile read_;
  std::map<int64_t, std::string> library_;
  std::map<std::string, Embedded> files_;
  std::vector<std::string> order_;
  std::vector<std::pair<std::string, std::string>> guidPictures_;
};

// Pictures go to the image table (their textures are made when the document loads); everything else
// to the other-files table.
bool IsPicture(const std::string& file);

}  // namespace scene_writer
