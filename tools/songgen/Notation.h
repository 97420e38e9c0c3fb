// The little text notation our melodies are written in.
//   "E5:3 E5:1 G5:2 | F#5:8 -:8"
// A token is a pitch (letter, optional # or b, octave; C4 is middle C) or "-" for a rest, then
// ":" and a length in sixteenth notes. "|" marks a bar line; every bar must add up to 16.
#pragma once

#include <string>
#include <vector>

struct MelodyNote {
    int nPitch;  // MIDI note number, -1 for a rest
    int nSteps;  // length in sixteenth notes
};

// Parses a melody; on a malformed token or a bar that does not add up, returns false and says why.
bool ParseMelody(const std::string& strText, std::vector<MelodyNote>& notes, std::string& strError);

// Parses a note name such as "F#5"; -1 when it is not one.
int ParsePitch(const std::string& strName);
