// Notes on standard error; see note_printer.h.
#include "run/note_printer.h"

namespace qel::run {

std::string call_location(const std::string& file, std::size_t line, std::size_t column) {
  return file + ":" + std::to_string(line) + ":" + std::to_string(column);
}

void NotePrinter::on_call_begin(const CallInfo& call) { call_ = call.location; }

void NotePrinter::on_call_end(const CallInfo&) { call_.clear(); }

void NotePrinter::print(const std::string& text) {
  ++count_;
  err_ << "note: " << text << '\n';
}

void NotePrinter::on_note(const Note& note) {
  const std::string text = note_text(note);
  if (!capture_) {
    // A call note comes before its call begins, so it names the call itself.
    const std::string_view where = note.from == Note::From::Call ? note.call : std::string_view(call_);
    print(where.empty() ? text : std::string(where) + ": " + text);
    return;
  }
  if (note.from != Note::From::Controller) {
    kept_.push_back(text);
  } else if (kept_controller_++ < kKeptNotes) {
    kept_.push_back(source_ + ": " + text);
  } else {
    ++dropped_;
  }
}

void NotePrinter::print_kept() {
  for (const std::string& text : kept_) print(text);
  if (dropped_ > 0) print(std::to_string(dropped_) + " more notes not shown.");
  kept_.clear();
  dropped_ = 0;
}

}  // namespace qel::run
