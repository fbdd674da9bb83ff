// The controller's I2C input (SCL on the clock line, SDA on the data line, and
// reset), decoded one line change at a time.
//
// A start is SDA falling while SCL is high, a stop SDA rising while SCL is high;
// a start inside a transfer is a repeated start. Bits are taken on rising SCL,
// most significant first; every byte is followed by an acknowledge clock. The
// first byte of a transfer is the address and R/W#: the controller answers to
// 0b011110 and its SA0 pin, so 0x3C or 0x3D. SA0 is not on the bus, so both are
// taken as this controller's. Written to, it expects a control byte (bit 7 Co,
// bit 6 D/C#, bits 5..0 zero): with Co = 0 every later byte up to the stop is a
// data byte (D/C# = 1) or a command byte (D/C# = 0); with Co = 1 only the next
// byte is, and a control byte follows it.
//
// Traffic to other addresses and read requests (the controller is written only)
// are skipped up to the next start or stop and only counted, as are missing
// acknowledges and clock pulses outside a transfer; take_summary() turns the
// counts into one note each. Reset low ends any transfer in progress; addresses
// are still followed then, so that a transfer meant for the controller while it
// is held in reset is counted. The chip select and data/command lines have no
// meaning here: their changes do nothing.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/front_end.h"

namespace qel::emu {

inline constexpr std::uint8_t kI2cAddress = 0x3C;  // with SA0 low; 0x3D with SA0 high

// Faults: a start or stop inside a byte for the controller (its bits are
// dropped) and a control byte with bits 5..0 set (taken by Co and D/C# alone;
// the first one is noted). Reset low inside a transfer to the controller is
// noted with the reset.
class I2cInterface final : public FrontEnd {
 public:
  explicit I2cInterface(bool reset_released = false) : FrontEnd(reset_released) {}
  std::unique_ptr<FrontEnd> clone() const override { return std::make_unique<I2cInterface>(*this); }

  Outcome set(Line line, bool level) override;
  // Bits of an unfinished byte of a transfer to the controller.
  int pending_bits() const override { return for_controller() && bits_ < 8 ? bits_ : 0; }
  // A transfer is in progress (from a start to its stop) and reset is high.
  bool listening() const override { return !in_reset() && phase_ != Phase::Idle; }
  std::optional<std::string> fault_note() const override;
  bool takes_samples() const override { return true; }
  // One note for each kind of skipped or doubtful traffic counted since the last
  // call; clears the counts.
  std::vector<std::string> take_summary() override;

 private:
  enum class Phase : std::uint8_t {
    Idle,     // no transfer: after a stop, before the next start
    Address,  // after a start: the address byte and R/W#
    Control,  // written to: a control byte comes next
    Stream,   // after Co = 0: every byte up to the stop is taken as D/C# said
    Single,   // after Co = 1: the next byte is taken, then a control byte again
    Skipped,  // not for the controller: skipped up to the next start or stop
  };

  bool for_controller() const { return phase_ == Phase::Control || phase_ == Phase::Stream || phase_ == Phase::Single; }
  Outcome start_or_stop(bool stop);
  Outcome clock_rise();
  Outcome take(std::uint8_t value);
  Outcome take_address(std::uint8_t value);

  enum class Fault : std::uint8_t { None, CutShort, BadControlByte, ResetInTransfer };
  Phase phase_ = Phase::Idle;
  std::uint8_t shift_ = 0;
  int bits_ = 0;               // bits of the current byte so far; 8: its acknowledge clock is next
  bool ack_expected_ = false;  // the current byte is for the controller, which acknowledges it
  // The controller's address went unacknowledged. Only counted once a control
  // byte follows: a probe that nobody answers is a bus scan, not a fault.
  bool address_unanswered_ = false;
  bool byte_is_address_ = false;
  bool is_data_ = false;      // D/C# of the last control byte
  std::uint8_t address_ = 0;  // of the transfer in progress
  std::uint8_t control_ = 0;
  Fault fault_ = Fault::None;  // the last fault, for fault_note()
  int dropped_bits_ = 0;
  bool cut_by_stop_ = false;

  // Counted for take_summary().
  std::uint64_t other_transfers_ = 0;
  std::bitset<128> other_addresses_;
  std::uint64_t read_requests_ = 0;
  std::uint64_t missing_acks_ = 0;
  std::uint64_t bad_control_ = 0;
  std::uint64_t pulses_outside_ = 0;
  std::uint64_t transfers_in_reset_ = 0;
  std::bitset<2> addresses_written_;  // 0x3C, 0x3D
};

}  // namespace qel::emu
