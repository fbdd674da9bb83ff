// Joining two frames of a run; see run_frames.h.
#include "view/run_frames.h"

#include <utility>

namespace qel::view {

void merge_frames(Frame& frame, Frame&& later) {
  frame.last_unit = later.last_unit;
  for (std::string& c : later.calls) {
    if (frame.calls.size() < kMaxFrameCalls) frame.calls.push_back(std::move(c));
  }
  frame.end_ns = later.end_ns;
  frame.picture = later.picture;
  frame.costs += later.costs;
  for (ListingLine& l : later.listing) {
    if (frame.listing.size() < kMaxListingLines) {
      frame.listing.push_back(std::move(l));
    } else {
      ++frame.listing_left_out;
    }
  }
  frame.listing_left_out += later.listing_left_out;
  for (std::string& n : later.notes) {
    if (frame.notes.size() < kMaxFrameNotes) {
      frame.notes.push_back(std::move(n));
    } else {
      ++frame.notes_left_out;
    }
  }
  frame.notes_left_out += later.notes_left_out;
  frame.wave.bytes_left_out += later.costs.command_bytes + later.costs.data_bytes;
}

}  // namespace qel::view
