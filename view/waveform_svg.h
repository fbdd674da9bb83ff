// The pins of one frame as an inline SVG waveform: a row per line (clock, data,
// data/command, reset, and chip select when it was driven), the decoded bytes
// under them. Time runs left to right at a steady rate set by the typical
// interval between changes; a long idle stretch is drawn as a short break with
// its length written in it, so a 250 ms reset wait does not hide the bits.
#pragma once

#include <string>

#include "view/run_frames.h"

namespace qel::view {

std::string render_waveform_svg(const Waveform& wave);

}  // namespace qel::view
