// Our song: a driving shooter theme in E minor, composed here as data and arranged for
// General MIDI (drums on channel 10).
#pragma once

#include <string>

#include "tools/songgen/SmfTypes.h"

const uint32_t INTRO_TEMPO = 200000;  // 300 BPM for the opening riser
const uint32_t MAIN_TEMPO = 337078;   // about 178 BPM
const uint32_t MAIN_TEMPO_TICK = 1880;
const uint32_t SONG_BARS = 121;  // the riser bar and 120 bars at the main tempo

// Composes the song as Standard MIDI File tracks; false (with a reason) if the score data is faulty.
bool ComposeSong(SmfSong& song, std::string& strError);
