// The plain-text byte log other tools read: for each call a line "# " and the
// call as written, then one line per byte, "C AE" for a command byte and
// "D 00" for a data byte. A capture has no call lines. Nothing else is written.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "run/events.h"

namespace qel::run {

// Appends the line of one byte ("C AE\n").
void append_byte_line(std::string& text, const emu::WireByte& byte);
// Appends the line of one call ("# QEL_LCD_Init();\n").
void append_call_line(std::string& text, std::string_view call);

class ByteLog : public Listener {
 public:
  explicit ByteLog(std::ostream& out) : out_(out) {}
  ~ByteLog() override;

  void on_call_begin(const CallInfo& call) override;
  void on_call_end(const CallInfo& call) override;
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_finish() override { flush(); }

  // Writes out what is still buffered.
  void flush();

 private:
  std::ostream& out_;
  std::string pending_;
};

}  // namespace qel::run
