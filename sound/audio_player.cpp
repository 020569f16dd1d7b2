#include "sound/audio_player.h"

DWORD g_SoundVolume = 100;
DWORD g_SoundBalance = 50;
DWORD g_MuteSound = 0;

BOOL AudioPlayer::Init(HWND) { return FALSE; }

LONG AudioPlayer::GetEvent() { return -1; }

void AudioPlayer::Play(const WCHAR*) {}

void AudioPlayer::Rewind() {}

void AudioPlayer::Stop() {}

void AudioPlayer::ApplyVolume(bool) {}

void AudioPlayer::Release() {}
