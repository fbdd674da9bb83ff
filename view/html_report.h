// A whole run as one self-contained HTML page: the final panel at the top, the
// notes each linked to its frame, then every frame (the call or time span, its
// command listing, costs, notes, pin waveform and picture). Nothing is loaded
// from anywhere: pictures are inline PNG data, waveforms inline SVG, and a
// content security policy forbids every other source. A small script turns the
// list into a player (slider, previous and next buttons, arrow keys); the URL
// fragment #frame-N selects frame N. Without scripts the list stays as it is.
#pragma once

#include <string>

#include "view/png_writer.h"
#include "view/run_frames.h"

namespace qel::view {

std::string render_html_report(const RunFrames& run, const PngOptions& options = {});

}  // namespace qel::view
