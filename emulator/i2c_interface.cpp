// The I2C input; see i2c_interface.h.
#include "emulator/i2c_interface.h"

#include "common/message_text.h"
#include "common/text_format.h"

namespace qel::emu {
namespace {

constexpr std::size_t kListedAddresses = 10;

// "0x50, 0x68", at most kListedAddresses of them and then "and N more".
std::string address_list(const std::bitset<128>& addresses) {
  std::string list;
  std::size_t listed = 0;
  for (std::size_t a = 0; a < addresses.size(); ++a) {
    if (!addresses[a]) continue;
    if (listed++ == kListedAddresses) {
      list += " and " + std::to_string(addresses.count() - kListedAddresses) + " more";
      break;
    }
    list += (list.empty() ? "" : ", ") + common::hex_byte(static_cast<unsigned>(a));
  }
  return list;
}

// "1 transfer" or "3 transfers".
std::string count_of(std::uint64_t n, const char* singular, const char* plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

}  // namespace

I2cInterface::Outcome I2cInterface::set(Line line, bool level) {
  if (!change(line, level)) return Outcome::None;
  switch (line) {
    case Line::Reset:
      if (level) return Outcome::ResetReleased;
      fault_ = for_controller() ? Fault::ResetInTransfer : Fault::None;
      if (phase_ != Phase::Idle) phase_ = Phase::Skipped;
      return Outcome::ResetAsserted;
    case Line::Data:
      if (!this->level(Line::Clock)) return Outcome::None;  // SDA may change while SCL is low
      return start_or_stop(level);
    case Line::Clock:
      return level ? clock_rise() : Outcome::None;
    case Line::DataCommand:
    case Line::ChipSelect:
      return Outcome::None;
  }
  return Outcome::None;
}

// The clock rises once before every start or stop, so one bit pending then is
// that rise, not a byte cut short.
I2cInterface::Outcome I2cInterface::start_or_stop(bool stop) {
  const bool cut = pending_bits() > 1;
  dropped_bits_ = cut ? bits_ - 1 : 0;
  cut_by_stop_ = stop;
  phase_ = stop ? Phase::Idle : Phase::Address;
  shift_ = 0;
  bits_ = 0;
  if (!cut) return Outcome::None;
  fault_ = Fault::CutShort;
  return Outcome::Fault;
}

I2cInterface::Outcome I2cInterface::clock_rise() {
  if (phase_ == Phase::Idle) {
    if (!in_reset()) ++pulses_outside_;
    return Outcome::None;
  }
  if (bits_ == 8) {  // the acknowledge clock: the receiver holds SDA low
    if (ack_expected_ && level(Line::Data)) {
      if (byte_is_address_) {
        address_unanswered_ = true;
      } else {
        ++missing_acks_;
        ++tally_.unacknowledged;
      }
    }
    bits_ = 0;
    return Outcome::None;
  }
  shift_ = static_cast<std::uint8_t>((shift_ << 1) | (level(Line::Data) ? 1 : 0));
  if (++bits_ < 8) return Outcome::None;
  return take(shift_);
}

I2cInterface::Outcome I2cInterface::take(std::uint8_t value) {
  ack_expected_ = phase_ != Phase::Skipped && phase_ != Phase::Address;
  byte_is_address_ = phase_ == Phase::Address;
  switch (phase_) {
    case Phase::Address:
      return take_address(value);
    case Phase::Control:
      control_ = value;
      is_data_ = (value & 0x40) != 0;
      phase_ = (value & 0x80) != 0 ? Phase::Single : Phase::Stream;
      addresses_written_.set(address_ & 1);
      if (address_unanswered_) {
        ++missing_acks_;
        ++tally_.unacknowledged;
      }
      address_unanswered_ = false;
      if ((value & 0x3F) == 0) return Outcome::None;
      ++bad_control_;
      ++tally_.bad_control_bytes;
      fault_ = Fault::BadControlByte;
      return Outcome::Fault;
    case Phase::Single:
      phase_ = Phase::Control;
      [[fallthrough]];
    case Phase::Stream:
      byte_ = WireByte{value, is_data_};
      return Outcome::Byte;
    case Phase::Idle:
    case Phase::Skipped:
      break;
  }
  return Outcome::None;
}

I2cInterface::Outcome I2cInterface::take_address(std::uint8_t value) {
  address_ = static_cast<std::uint8_t>(value >> 1);
  const bool read = (value & 1) != 0;
  const bool ours = (address_ & 0x7E) == kI2cAddress;
  tally_.addressed.set(address_);
  phase_ = Phase::Skipped;
  address_unanswered_ = false;
  if (!ours) {
    ++other_transfers_;
    other_addresses_.set(address_);
  } else if (in_reset()) {
    ++transfers_in_reset_;
  } else if (read) {
    ++read_requests_;
  } else {
    phase_ = Phase::Control;
    ack_expected_ = true;
  }
  return Outcome::None;
}

std::optional<std::string> I2cInterface::fault_note() const {
  switch (fault_) {
    case Fault::CutShort:
      return std::string(cut_by_stop_ ? "A stop" : "A repeated start") + " came " + std::to_string(dropped_bits_) +
             (dropped_bits_ == 1 ? " bit" : " bits") + " into a byte; the bits are dropped.";
    case Fault::BadControlByte:
      if (bad_control_ != 1) return std::nullopt;  // the later ones are summed up
      return "Control byte " + common::hex_byte(control_) +
             " has bits 5..0 set (expected 0x00, 0x40, 0x80 or 0xC0); taken as Co = " + std::to_string(control_ >> 7) +
             ", D/C# = " + std::to_string((control_ >> 6) & 1) + ". Is the control byte missing?";
    case Fault::ResetInTransfer:
      return "Reset went low inside a transfer to the controller; the rest of it is ignored.";
    case Fault::None:
      break;
  }
  return std::nullopt;
}

std::vector<std::string> I2cInterface::take_summary() {
  std::vector<std::string> notes;
  if (other_transfers_ > 0) {
    notes.push_back(count_of(other_transfers_, "transfer to another address", "transfers to other addresses") + " (" +
                    address_list(other_addresses_) + (other_transfers_ == 1 ? ") was ignored." : ") were ignored."));
  }
  if (read_requests_ > 0) {
    notes.push_back(count_of(read_requests_, "read request", "read requests") + " to the controller " +
                    (read_requests_ == 1 ? "was" : "were") + " not served; it is written only.");
  }
  if (transfers_in_reset_ > 0) {
    notes.push_back(count_of(transfers_in_reset_, "transfer", "transfers") + " to the controller came while reset " +
                    "was low; " + (transfers_in_reset_ == 1 ? "it was" : "they were") + " ignored.");
  }
  if (missing_acks_ > 0) {
    notes.push_back(count_of(missing_acks_, "byte", "bytes") + " for the controller " +
                    (missing_acks_ == 1 ? "was" : "were") +
                    " not acknowledged (SDA high on the acknowledge clock); taken all the same.");
  }
  if (bad_control_ > 1) {
    const std::uint64_t more = bad_control_ - 1;
    notes.push_back("Control bytes with bits 5..0 set came " + std::to_string(more) +
                    (more == 1 ? " more time." : " more times."));
  }
  // One rising edge outside a transfer is SCL going to its idle high level at
  // power-up; more are pulses that no start condition opened.
  if (pulses_outside_ > 1) {
    notes.push_back(std::to_string(pulses_outside_) +
                    " clock pulses came outside any transfer (no start condition before them); they were ignored.");
  }
  if (addresses_written_.all()) {
    notes.push_back("Bytes were written to both 0x3C and 0x3D; both were taken as this controller's.");
  }
  other_transfers_ = read_requests_ = transfers_in_reset_ = missing_acks_ = bad_control_ = pulses_outside_ = 0;
  other_addresses_.reset();
  addresses_written_.reset();
  return notes;
}

}  // namespace qel::emu
