// Frame pictures after every call; see frame_files.h.
#include "run/frame_files.h"

namespace qel::run {

void FrameFiles::on_call_end(const CallInfo&) {
  const emu::Picture picture = controller_->picture();
  folder_.add(view::encode_png(rotate180_ ? picture.rotated180() : picture, png_));
}

}  // namespace qel::run
