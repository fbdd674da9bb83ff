// Records the module's pins as a sigrok session (.sr, version 2) that opens in
// PulseView and sigrok-cli next to a real capture: four probes sclk, sdin, dc,
// res_n in one-byte samples, written with libzip.
//
// Time is nominal, as in VcdWriter: each pin write takes `ns_per_write` and a
// module delay of ms milliseconds takes exactly that long. The sample rate is
// the coarsest that holds both exactly (10 MHz for 100 ns per write). Samples
// are streamed to a temporary file of a fresh name beside the output while the
// run goes on; finish() packs them into the archive, which replaces the output
// only once it is complete. A device or a pipe (/dev/null) is not replaced: the
// archive is made in a scratch file under TMPDIR (else /tmp) and copied in.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "qel/pin_observer.h"

namespace qel::trace {

class SrWriter : public PinObserver {
 public:
  static constexpr std::uint64_t kDefaultNsPerWrite = 100;
  static constexpr std::size_t kChunkBytes = 4 << 20;

  // Throws std::invalid_argument if ns_per_write is 0, std::runtime_error
  // "Cannot write sigrok session '<path>': <reason>." if the temporary file
  // cannot be made.
  explicit SrWriter(std::string path, std::uint64_t ns_per_write = kDefaultNsPerWrite);
  // Writes the archive at `path` but names `shown_path` in messages: for a
  // caller that stages the output under another name and puts it in place.
  SrWriter(std::string path, std::string shown_path, std::uint64_t ns_per_write);
  ~SrWriter() override;
  SrWriter(const SrWriter&) = delete;
  SrWriter& operator=(const SrWriter&) = delete;

  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  // Writes the archive. Call once at the end; throws std::runtime_error as above.
  void finish();

  std::uint64_t sample_rate_hz() const { return rate_hz_; }
  std::uint64_t samples() const { return samples_; }

 private:
  void put(std::uint64_t count);
  void flush_buffer();
  void copy_archive_in() const;
  [[noreturn]] void fail(const std::string& reason) const;

  std::string path_;
  std::string shown_path_;
  std::string temp_path_;     // the samples
  std::string archive_path_;  // scratch archive for a device or a pipe; empty when written in place
  std::FILE* temp_ = nullptr;
  std::uint64_t samples_per_write_ = 1;
  std::uint64_t rate_hz_ = 0;
  std::uint64_t samples_ = 0;
  std::uint8_t levels_ = 0;  // bit K-1 is probe K
  std::vector<std::uint8_t> buffer_;
};

}  // namespace qel::trace
