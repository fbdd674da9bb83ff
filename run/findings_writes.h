// Findings about display data: runs of data longer than the columns left on
// their page, visible columns never written (or written only outside the
// glass), segment remap changed after data was written, and data written while
// a scroll runs. It also gathers what the runs say about the controller the
// firmware was written for (findings_controller).
//
// A run is the display data bytes between two command bytes (or a reset).
// Memory is fixed: counters, the first place of each fault, and bitsets of the
// RAM written.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/controller.h"
#include "run/finding.h"
#include "run/findings_context.h"

namespace qel::run {

class WriteChecks {
 public:
  explicit WriteChecks(const Whereabouts& where) : where_(where) {}

  void start(const emu::Registers& registers, const GlassShape& glass);
  // After each command byte: it ends a run of data, and may change the remap.
  void on_command(const emu::Registers& registers, std::uint64_t index);
  // After each display data byte, written at `at`; `registers` as they stand
  // after it. The common case, the next byte of a run, is decided here.
  void on_data(const emu::Registers& registers, emu::RamAddress at, std::uint64_t index) {
    if (registers.segment_remap != remap_) remap_changed(registers.segment_remap, index);  // by a reset
    const std::size_t cell = std::size_t{at.page} * emu::kMaxColumns + at.column;
    cells_written_.set(cell);
    cells_other_way_.reset(cell);
    if (run_.open && !registers.scroll.active && at.page == run_.next.page && at.column == run_.next.column) {
      step_run(at);
      return;
    }
    on_other_data(registers, at, index);
  }
  // Reset went low: a run ends.
  void on_reset() { end_run(); }
  void conclude(const emu::Registers& registers, std::uint64_t bytes, std::vector<Finding>& out) const;

  // Runs 130 to 132 bytes long (a page of a 132-column RAM), and runs that
  // start left of the glass's first column; each with the first one's place.
  struct RunFacts {
    std::uint64_t wide = 0;
    std::optional<Place> first_wide;
    std::uint64_t left_of_glass = 0;
    std::optional<Place> first_left_of_glass;
  };
  // With the run still open ended.
  RunFacts run_facts() const;

 private:
  struct Run {
    bool open = false;
    emu::AddressingMode mode = emu::AddressingMode::Page;
    std::uint64_t length = 0;
    emu::RamAddress first, last;
    emu::RamAddress next;                         // where the next byte goes when it does not wrap
    std::uint8_t last_column = 0, last_page = 0;  // of the ranges that bound the run (horizontal, vertical)
    bool wrapped = false;
    Mark start, wrap;  // its first byte; its last wrap to the start of the column or page range
    emu::RamAddress wrapped_to;
  };

  void on_other_data(const emu::Registers& registers, emu::RamAddress at, std::uint64_t index);
  // The run takes one more byte, at `at`.
  void step_run(emu::RamAddress at) {
    run_.last = at;
    ++run_.length;
    // Within a run the pointer steps by one column (by one page in vertical mode).
    if (run_.mode == emu::AddressingMode::Vertical) {
      run_.next = emu::RamAddress{static_cast<std::uint8_t>(at.page + 1), at.column};
    } else {
      run_.next = emu::RamAddress{at.page, static_cast<std::uint8_t>(at.column + 1)};
    }
  }
  void end_run();
  void remap_changed(bool remap, std::uint64_t index);
  bool overran(const Run& run) const;
  void report(const emu::Registers& registers, std::uint64_t bytes, std::vector<Finding>& out) const;

  const Whereabouts& where_;
  GlassShape glass_;
  Run run_;

  std::uint64_t overruns_ = 0;
  std::optional<Run> first_overrun_;
  RunFacts facts_;

  static constexpr int kCells = emu::kPages * emu::kMaxColumns;
  std::bitset<kCells> cells_written_;
  // Cells last written with the segment remap other than it is now: on the
  // panel they stay as written, where this emulator shows them remapped.
  std::bitset<kCells> cells_other_way_;
  bool remap_ = false;
  std::optional<Place> remap_changed_;  // the last change after data was written

  std::uint64_t scroll_writes_ = 0;
  std::optional<Place> first_scroll_write_;
};

}  // namespace qel::run
