// Prints the run's notes on standard error as "note: <where>: <text>" and
// counts them, for --strict.
//
// Scripts: each note is printed as it arises, placed at the call it arose in
// ("demo.qel:3:1: byte 12: ..."). Captures: the notes are printed at the end,
// after the capture's figures; the controller's are placed in the capture
// ("board.sr: byte 12: ...") and past kKeptNotes they are only counted, while
// the reader's own notes (a file cut short) are few and always kept.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "run/events.h"

namespace qel::run {

inline constexpr std::size_t kKeptNotes = 100;

class NotePrinter : public Listener {
 public:
  NotePrinter(std::ostream& err, view::RunKind kind, std::string source)
      : err_(err), capture_(kind == view::RunKind::Capture), source_(std::move(source)) {}

  void on_call_begin(const CallInfo& call) override;
  void on_call_end(const CallInfo& call) override;
  void on_note(const Note& note) override;

  // Captures: prints the notes kept. Call after the capture's figures.
  void print_kept();

  // Notes printed or counted so far.
  std::uint64_t count() const { return count_; }

 private:
  void print(const std::string& text);

  std::ostream& err_;
  bool capture_;
  std::string source_;
  std::string call_;  // location of the call running now; empty between calls
  std::vector<std::string> kept_;
  std::size_t kept_controller_ = 0;
  std::uint64_t dropped_ = 0;
  std::uint64_t count_ = 0;
};

// "demo.qel:3:1".
std::string call_location(const std::string& file, std::size_t line, std::size_t column);

}  // namespace qel::run
