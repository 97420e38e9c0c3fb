// Placeholder until the music player is built.
#include "audio/Midistrm.h"

CMidiStream::CMidiStream() = default;
CMidiStream::CMidiStream(UINT, HINSTANCE) {}
CMidiStream::~CMidiStream() = default;
BOOL CMidiStream::IsLoaded() { return FALSE; }
BOOL CMidiStream::Play(BOOL) { return FALSE; }
BOOL CMidiStream::Stop() { return FALSE; }
