// Draws a panel picture as text in a frame: two panel rows per text line, so the
// 128 x 64 panel fills 128 columns x 32 lines inside the frame.
//
// Unicode style: '▀' top pixel lit, '▄' bottom pixel lit, '█' both, ' ' neither;
// a box-drawing frame.
// Ascii style: '"' top pixel lit, '.' bottom pixel lit, '#' both, ' ' neither;
// a frame of '+', '-' and '|'.
// A pixel counts as lit at any brightness above 0. Each line ends in '\n'.
#pragma once

#include <string>

#include "emulator/picture.h"

namespace qel::view {

enum class TextStyle { Unicode, Ascii };

std::string render_text(const emu::Picture& picture, TextStyle style = TextStyle::Unicode);

}  // namespace qel::view
