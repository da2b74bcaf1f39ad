#pragma once

#include "Signals.h"

#include <vector>

// The bytes of an MPEG audio layer II stream of the signal, as older broadcast and DVD
// collections hold them under the .mp3 name: MPEG-1 at 32, 44.1 and 48 kHz, MPEG-2 at half
// those rates; one or two channels. Empty when the encoder refuses the parameters.
std::vector<unsigned char> encodeMp2(const Pcm& pcm, int bitrateKbps);
