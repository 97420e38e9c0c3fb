// The road every song takes to the game: Standard MIDI File image -> parser -> MIDS writer.
// Our own song enters it as the image the composition is written to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/songgen/MidsWriter.h"

// Converts a Standard MIDI File image into a 'MIDS' form.
bool ConvertSmfToMids(const std::vector<uint8_t>& smf, std::vector<uint8_t>& mids, MidsStats& stats,
                      std::string& strError);

// Our song as a Standard MIDI File image.
bool BuildSongSmf(std::vector<uint8_t>& smf, std::string& strError);

// Our song as the 'MIDS' form the game carries; also checks that its tempo changes all lie in
// the first stream buffer, where the player takes them from.
bool BuildSongMids(std::vector<uint8_t>& mids, MidsStats& stats, std::string& strError);
