// A readable listing of what the controller was told: one line per command with
// its parameters and short name ("81 CF     contrast 0xCF"), and each run of
// display data condensed into one line (count, page, columns written, whether
// the column wrapped). It consumes decoded bytes one at a time, each with where
// it came from (a script's call, or a time in a capture), so it serves any path
// that feeds the controller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/controller.h"

namespace qel::view {

// Where a byte came from: a call of a script (its location, e.g. "demo.qel:3:1"),
// or a time in a capture. Exactly one of the two is set.
struct ByteOrigin {
  std::string_view call;
  std::optional<std::uint64_t> time_ns;
};

struct ListingLine {
  std::string origin;  // the call's location, or the time as "12.345678 ms"
  std::string text;    // "81 CF     contrast 0xCF", "128 data bytes, page 2, columns 0-127"
};

class ListingSink {
 public:
  virtual ~ListingSink() = default;
  virtual void on_line(const ListingLine& line) = 0;
};

class CommandListing {
 public:
  // Commands are named as `profile`'s controller has them.
  explicit CommandListing(ListingSink& sink,
                          const emu::Profile& profile = emu::profile_of(emu::ControllerModel::Ssd1306))
      : sink_(sink), profile_(&profile) {}

  // Names the commands from now on as `profile`'s controller has them.
  void set_profile(const emu::Profile& profile) { profile_ = &profile; }

  // One decoded byte. For a data byte, `written` is where it went in display RAM.
  void add(const emu::WireByte& byte, emu::RamAddress written, const ByteOrigin& origin);

  // A heading line for a new call ("# QEL_LCD_Init();"); ends the current data run.
  void heading(std::string_view call_location, std::string_view text);

  // Ends the current data run, so a later data byte starts a new line (the end
  // of a call or of a capture's burst). A command still waiting for parameters
  // stays open.
  void flush();

  // The end of the bytes: the data run and a command cut short are written.
  void finish();

 private:
  struct DataRun {
    std::string origin;
    std::uint64_t count = 0;
    int min_page = 0, max_page = 0;
    int first_column = 0, min_column = 0, max_column = 0;
    int column_before_wrap = 0;  // the last column before the first wrap
    int column_after_wrap = 0;   // the first column after it
    int prev_page = 0, prev_column = 0;
    int wraps = 0;
  };

  void start_command(std::uint8_t opcode, const ByteOrigin& origin);
  void end_command(bool cut_short);
  void end_data_run();
  std::string origin_text(const ByteOrigin& origin) const;

  ListingSink& sink_;
  const emu::Profile* profile_;
  // The command still waiting for parameter bytes.
  std::optional<std::uint8_t> opcode_;
  std::string command_origin_;
  std::vector<std::uint8_t> params_;
  int needed_ = 0;
  std::optional<DataRun> run_;
};

}  // namespace qel::view
