// Reads a Standard MIDI File (format 0 or 1) into one merged, time-ordered sequence of
// channel messages and tempo changes. System exclusive and other meta events are skipped.
// Every read is bounded by the image; damaged input is refused with a reason.
#pragma once

#include <cstddef>

#include "tools/songgen/SmfTypes.h"

bool ReadSmf(const uint8_t* pData, size_t cbData, Sequence& seq, std::string& strError);
