// Records the module's pins as a sigrok session (.sr, version 2) that opens in
// PulseView and sigrok-cli next to a real capture: four probes sclk, sdin, dc,
// res_n in one-byte samples, written with libzip.
//
// Time is nominal, as in VcdWriter: each pin write takes `ns_per_write` and a
// module delay of ms milliseconds takes exactly that long. The sample rate is
// the coarsest that holds both exactly (10 MHz for 100 ns per write). Samples
// are streamed to a temporary file of a fresh name beside the archive while the
// run goes on; finish() packs them into the archive at `path`, which must be a
// regular file's place (libzip replaces what it writes): a caller that writes
// a user's file stages it (common/output_files.h) and puts it in place.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/temporary_registry.h"
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

 private:
  void put(std::uint64_t count);
  void flush_buffer();
  [[noreturn]] void fail(const std::string& reason) const;

  std::string path_;
  std::string shown_path_;
  std::string temp_path_;  // the samples
  std::FILE* temp_ = nullptr;
  std::uint64_t samples_per_write_ = 1;
  std::uint64_t rate_hz_ = 0;
  std::uint64_t samples_ = 0;
  std::uint8_t levels_ = 0;  // bit K-1 is probe K
  std::vector<std::uint8_t> buffer_;
  common::TemporaryGuard guard_;
};

}  // namespace qel::trace
