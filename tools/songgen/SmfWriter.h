// Writes a song as a format 1 Standard MIDI File image (running status, end-of-track at each track's end).
#pragma once

#include "tools/songgen/SmfTypes.h"

std::vector<uint8_t> BuildSmf(const SmfSong& song);
