// The controller's serial input as the rest of the controller sees it, whatever
// the bus: one line change at a time in, bytes and faults out. The 4-wire and
// 3-wire inputs (serial_interface.h) and I2C (i2c_interface.h) implement it;
// make_front_end() picks one for a bus.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/wire.h"

namespace qel::emu {

// What a bus input saw over the whole trace, kept for conclusions about a
// session (take_summary() clears its own counts; these stay). I2C only.
struct BusTally {
  std::bitset<128> addressed;           // the 7-bit addresses transfers were sent to
  std::uint64_t unacknowledged = 0;     // bytes for the controller left unacknowledged
  std::uint64_t bad_control_bytes = 0;  // control bytes with bits 5..0 set
};

class FrontEnd {
 public:
  // What one line change did.
  enum class Outcome : std::uint8_t {
    None,            // nothing for the controller to act on (or a level that did not change)
    Bit,             // a bit was shifted in
    Byte,            // byte() holds a completed command or data byte
    EdgeInReset,     // a rising clock edge while reset is low, ignored
    EdgeDeselected,  // a rising clock edge while chip select is high, ignored
    ResetAsserted,   // reset went low: registers return to their defaults; see fault_note()
    ResetReleased,   // reset went high
    Fault,           // the bus lost or doubted something; see fault_note()
  };

  virtual ~FrontEnd() = default;
  virtual std::unique_ptr<FrontEnd> clone() const = 0;

  virtual Outcome set(Line line, bool level) = 0;
  // Bits of an unfinished byte (or transfer).
  virtual int pending_bits() const = 0;
  // Whether clock edges count now: out of reset and selected (serial), or
  // inside a transfer (I2C).
  virtual bool listening() const = 0;
  // After ResetAsserted or Fault: a note on what was dropped or doubted, if anything.
  virtual std::optional<std::string> fault_note() const = 0;
  // What a transfer is called in notes: "byte", "9-bit transfer".
  virtual const char* unit() const { return "byte"; }
  // Clock and data changes of one time are taken together (I2C; see Controller).
  virtual bool takes_samples() const { return false; }
  // Notes summing up what was only counted since the last call; clears the counts.
  virtual std::vector<std::string> take_summary() { return {}; }

  // The byte the last Byte outcome completed.
  const WireByte& byte() const { return byte_; }
  // The line's level as the input last saw it.
  bool level(Line line) const { return levels_[static_cast<int>(line)]; }
  bool in_reset() const { return !level(Line::Reset); }
  const BusTally& tally() const { return tally_; }

 protected:
  // Power-on levels: every line low, so the controller starts in reset (and
  // selected). A capture without a reset line starts with reset released.
  explicit FrontEnd(bool reset_released) { levels_[static_cast<int>(Line::Reset)] = reset_released; }
  FrontEnd(const FrontEnd&) = default;
  FrontEnd& operator=(const FrontEnd&) = default;

  // Records a change; false when the level is the one already held.
  bool change(Line line, bool level) {
    bool& current = levels_[static_cast<int>(line)];
    if (current == level) return false;
    current = level;
    return true;
  }

  WireByte byte_;  // set by a derived input before it returns Byte
  BusTally tally_;

 private:
  bool levels_[kLineCount] = {};
};

// The front end of `bus`, with every line low and reset low or released.
std::unique_ptr<FrontEnd> make_front_end(Bus bus, bool reset_released);

// Owns a front end (or none); a copy holds a copy of it, so a controller
// copies whole.
class OwnedFrontEnd {
 public:
  explicit OwnedFrontEnd(std::unique_ptr<FrontEnd> front_end) : front_end_(std::move(front_end)) {}
  OwnedFrontEnd(const OwnedFrontEnd& other) : front_end_(other.copy()) {}
  OwnedFrontEnd& operator=(const OwnedFrontEnd& other) {
    if (this != &other) front_end_ = other.copy();
    return *this;
  }
  OwnedFrontEnd(OwnedFrontEnd&&) noexcept = default;
  OwnedFrontEnd& operator=(OwnedFrontEnd&&) noexcept = default;
  ~OwnedFrontEnd() = default;

  FrontEnd* get() const { return front_end_.get(); }

 private:
  std::unique_ptr<FrontEnd> copy() const { return front_end_ ? front_end_->clone() : nullptr; }

  std::unique_ptr<FrontEnd> front_end_;
};

}  // namespace qel::emu
