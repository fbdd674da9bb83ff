// Frames of a run for the report and the GIF; see run_recorder.h.
#include "run/frame_recorder.h"

#include <utility>

#include "view/gif_writer.h"

namespace qel::run {
namespace {

// Pin changes kept from before a frame's first byte: enough for the byte's own
// bits and the select and reset changes just before it.
constexpr std::size_t kPrerollChanges = 64;

constexpr std::size_t kTimeWidth = 16;

std::size_t at(emu::Line line) { return static_cast<std::size_t>(line); }

}  // namespace

void ListingWriter::on_line(const view::ListingLine& line) {
  std::string text;
  if (times_ && line.origin.size() < kTimeWidth) text.assign(kTimeWidth - line.origin.size(), ' ');
  text += line.origin;
  text += "  ";
  text += line.text;
  text += '\n';
  out_ << text;
}

FrameRecorder::FrameRecorder(RecorderOptions options) : options_(options), listing_(*this) {}

void FrameRecorder::on_start(const Start& start) {
  controller_ = start.controller;
  listing_.set_profile(controller_->profile());
  kind_ = start.kind;
  source_ = start.source;
  pin_write_ns_ = start.pin_write_ns;
  if (kind_ == view::RunKind::Capture) open_frame();
}

void FrameRecorder::on_line(const view::ListingLine& line) {
  if (options_.listing != nullptr) options_.listing->on_line(line);
  if (!options_.keep_frames) return;
  view::Frame* frame = open_ ? &building_ : last_frame();
  if (frame == nullptr) return;
  if (frame->listing.size() < view::kMaxListingLines) {
    frame->listing.push_back(line);
  } else {
    ++frame->listing_left_out;
  }
}

view::Frame* FrameRecorder::last_frame() {
  if (pending_) return &*pending_;
  return frames_.empty() ? nullptr : &frames_.back();
}

void FrameRecorder::open_frame() {
  open_ = true;
  building_ = view::Frame{};
  building_.first_unit = building_.last_unit = units_ + 1;
  frame_start_ns_ = now_ns_;
  preroll_.clear();
  preroll_initial_ = levels_;
  wave_started_ = false;
  wave_full_ = false;
}

void FrameRecorder::close_frame() {
  listing_.flush();
  open_ = false;
  burst_open_ = false;
  view::Frame& f = building_;
  view::Waveform& w = f.wave;
  if (!wave_started_) {
    w.initial = preroll_initial_;
    w.changes.assign(preroll_.begin(), preroll_.end());
    w.start_ns = w.changes.empty() ? last_event_ns_ : w.changes.front().time_ns;
  }
  if (!wave_full_) w.end_ns = std::max(w.start_ns, last_event_ns_);
  if (kind_ == view::RunKind::Script) {
    f.costs.wire_ns = now_ns_ - frame_start_ns_;
  } else {
    f.costs.wire_ns = f.end_ns - f.start_ns;
  }
  if (options_.keep_frames) {
    f.picture = options_.rotate180 ? controller_->picture().rotated180() : controller_->picture();
    push_frame(std::move(f));
  } else {
    ++units_;
  }
  if (kind_ == view::RunKind::Capture) open_frame();
}

void FrameRecorder::push_frame(view::Frame&& frame) {
  ++units_;
  if (pending_) {
    view::merge_frames(*pending_, std::move(frame));
  } else {
    pending_ = std::move(frame);
  }
  if (pending_->last_unit - pending_->first_unit + 1 < units_per_frame_) return;
  frames_.push_back(std::move(*pending_));
  pending_.reset();
  if (frames_.size() <= view::kMaxFrames) return;
  // Too many frames: merge neighbours in pairs; an odd one out keeps taking units.
  std::vector<view::Frame> merged;
  merged.reserve(frames_.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < frames_.size(); i += 2) {
    merged.push_back(std::move(frames_[i]));
    view::merge_frames(merged.back(), std::move(frames_[i + 1]));
  }
  if (frames_.size() % 2 == 1) pending_ = std::move(frames_.back());
  frames_ = std::move(merged);
  units_per_frame_ *= 2;
}

void FrameRecorder::record_change(const view::PinChange& change) {
  if (!options_.keep_frames || wave_full_) return;
  if (wave_started_) {
    view::Waveform& w = building_.wave;
    if (w.changes.size() < view::kMaxWaveChanges) {
      w.changes.push_back(change);
    } else {
      ++w.changes_left_out;
    }
    return;
  }
  if (preroll_.size() == kPrerollChanges) {
    const view::PinChange& oldest = preroll_.front();
    preroll_initial_[at(oldest.line)] = oldest.level;
    preroll_.pop_front();
  }
  preroll_.push_back(change);
}

void FrameRecorder::pin_change(emu::Line line, bool level, std::uint64_t time_ns) {
  last_event_ns_ = time_ns;
  if (levels_[at(line)] == level) return;
  // A rising clock edge with no bits pending starts a byte (if the controller
  // takes it: out of reset and selected).
  if (line == emu::Line::Clock && level && controller_->pending_bits() == 0 && !controller_->in_reset() &&
      !controller_->level(emu::Line::ChipSelect)) {
    byte_start_ns_ = time_ns;
    if (burst_open_) last_byte_ns_ = time_ns;  // a byte begun within the idle time keeps the burst going
  }
  record_change(view::PinChange{time_ns, line, level});
  levels_[at(line)] = level;
}

void FrameRecorder::on_call_begin(const CallInfo& call) {
  open_frame();
  building_.calls.emplace_back(call.text);
  building_.where = call.location;
  call_location_ = call.location;
  listing_.heading(call.location, call.text);
}

void FrameRecorder::on_call_end(const CallInfo&) { close_frame(); }

void FrameRecorder::on_pin(const PinEvent& pin) {
  if (kind_ == view::RunKind::Capture) {
    timed_change(pin.line, pin.level, pin.time_ns);
    return;
  }
  if (!pin.write) {  // a pin opened, driven low
    pin_change(pin.line, false, pin.time_ns);
    return;
  }
  now_ns_ = pin.time_ns + pin_write_ns_;
  if (open_) ++building_.costs.pin_writes;
  pin_change(pin.line, pin.level, pin.time_ns);
}

void FrameRecorder::on_delay(std::uint32_t, std::uint64_t time_ns) { now_ns_ = time_ns; }

void FrameRecorder::timed_change(emu::Line line, bool level, std::uint64_t time_ns) {
  if (!levels_known_) {
    for (int l = 0; l < emu::kLineCount; ++l) {
      levels_[static_cast<std::size_t>(l)] = controller_->level(static_cast<emu::Line>(l));
    }
    preroll_initial_ = levels_;
    levels_known_ = true;
  }
  now_ns_ = time_ns;
  if (burst_open_ && time_ns - last_byte_ns_ >= kBurstIdleNs) close_frame();
  if (open_) ++building_.costs.pin_writes;
  pin_change(line, level, time_ns);
  if (line == emu::Line::ChipSelect && level && burst_open_) close_frame();
}

void FrameRecorder::on_byte(const emu::WireByte& byte, std::uint64_t) {
  const std::uint64_t t = last_event_ns_;
  const std::uint64_t start = byte_start_ns_.value_or(t);
  byte_start_ns_.reset();
  view::ByteOrigin origin;
  if (kind_ == view::RunKind::Script) {
    origin.call = call_location_;
  } else {
    origin.time_ns = start;
  }
  listing_.add(byte, controller_->last_written(), origin);
  if (!open_) return;
  view::Frame& f = building_;
  if (byte.is_data) {
    ++f.costs.data_bytes;
  } else {
    ++f.costs.command_bytes;
  }
  if (!burst_open_) f.start_ns = start;
  f.end_ns = t;
  burst_open_ = true;
  last_byte_ns_ = t;
  if (!options_.keep_frames) return;
  view::Waveform& w = f.wave;
  if (!wave_started_) {
    wave_started_ = true;
    w.initial = preroll_initial_;
    w.changes.assign(preroll_.begin(), preroll_.end());
    w.start_ns = w.changes.empty() ? start : w.changes.front().time_ns;
    preroll_.clear();
  }
  if (wave_full_) {
    ++w.bytes_left_out;
    return;
  }
  w.bytes.push_back(view::WaveByte{start, t, byte});
  if (w.bytes.size() == view::kWaveBytes) {
    wave_full_ = true;
    w.end_ns = t;
  }
}

void FrameRecorder::on_note(const Note& note) {
  if (!options_.keep_frames || note.from == Note::From::Capture) return;
  view::Frame* frame = open_ ? &building_ : last_frame();
  if (frame == nullptr) return;
  if (frame->notes.size() < view::kMaxFrameNotes) {
    frame->notes.push_back(note_text(note));
  } else {
    ++frame->notes_left_out;
  }
}

void FrameRecorder::on_finish() {
  listing_.finish();
  if (open_ && !burst_open_ && !building_.notes.empty()) {
    // Notes after the last burst (the end of the capture) go with that burst.
    if (view::Frame* last = last_frame()) {
      for (std::string& n : building_.notes) last->notes.push_back(std::move(n));
      building_.notes.clear();
    }
  }
  if (open_ && (burst_open_ || !building_.notes.empty())) close_frame();
  open_ = false;
}

view::RunFrames FrameRecorder::frames() const {
  view::RunFrames run;
  run.kind = kind_;
  run.source = source_;
  run.units = units_;
  run.units_per_frame = units_per_frame_;
  run.frames = frames_;
  if (pending_) run.frames.push_back(*pending_);
  run.final_picture = options_.rotate180 ? controller_->picture().rotated180() : controller_->picture();
  run.pin_write_ns = pin_write_ns_;
  return run;
}

std::vector<std::uint8_t> encode_run_gif(const view::RunFrames& run, const view::PngOptions& png) {
  std::vector<view::GifFrame> frames;
  frames.reserve(run.frames.size());
  for (const view::Frame& f : run.frames) frames.push_back(view::GifFrame{f.picture, f.costs.wire_ns});
  if (frames.empty()) frames.push_back(view::GifFrame{run.final_picture, 0});
  return view::encode_gif(frames, png);
}

view::RunFrames FrameRecorder::take_frames() {
  view::RunFrames run;
  run.kind = kind_;
  run.source = source_;
  run.units = units_;
  run.units_per_frame = units_per_frame_;
  run.frames = std::move(frames_);
  if (pending_) run.frames.push_back(std::move(*pending_));
  run.final_picture = options_.rotate180 ? controller_->picture().rotated180() : controller_->picture();
  run.pin_write_ns = pin_write_ns_;
  return run;
}

}  // namespace qel::run
