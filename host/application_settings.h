// The application's own registry values under HKEY_CURRENT_USER \ g_SettingsKeyPath: the sound
// settings and the picture position, each a REG_DWORD whose name carries its double quotes.
#pragma once
#include <windows.h>

// The application's key path, the same as the framework's; copied in by the application.
extern WCHAR g_SettingsKeyPath[200];

inline constexpr const WCHAR* kSoundVolumeValue = u"\"SoundVolume\"";
inline constexpr const WCHAR* kSoundBalanceValue = u"\"SoundBalance\"";
inline constexpr const WCHAR* kMuteSoundValue = u"\"MuteSound\"";
inline constexpr const WCHAR* kPicturePositionValue = u"\"PicPos\"";

// Reads the named value into `destination`. A key that cannot be opened, an absent value, or one
// that is not a 4-byte value leaves the destination unchanged: that is how every default works.
void ReadSettingDword(DWORD* destination, const WCHAR* name);

// Each writes its REG_DWORD under the key, creating the key when missing; a key that cannot be
// opened or created is skipped.
void WriteSoundVolume(DWORD value);
void WriteSoundBalance(DWORD value);
void WriteMuteSound(DWORD value);
void WritePicturePosition(DWORD value);

// The picture position, 0 Stretch, 1 Fit, 2 Fill: read at the first call (default 2), cached after.
int GetPicturePosition();
// Caches and writes a new position (one outside the three positions is refused); the running
// scenes keep theirs until they start again.
void SetPicturePosition(int value);
