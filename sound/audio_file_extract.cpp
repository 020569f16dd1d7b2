#include "slideshow/audio_file.h"

// Until the music player can play files, the entry keeps its stored path and bytes.
void DS_AudioFile::ExtractToTemp() {}
