// Watches a script run call by call and writes what was asked for as it goes:
// the byte log, one costs row per call, a frame after each call, and the notes
// (the runner's and the controller's), each placed at the call it arose in.
// Nothing is kept per call, so a long script runs in bounded memory and time
// grows linearly with its length.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "call_stats.h"
#include "emulator/controller.h"
#include "output_file.h"
#include "script/script_runner.h"

namespace qel::tool {

class CallRecorder : public script::CallListener, public emu::ByteListener {
 public:
  // Each note, ready to print ("file:line:column: byte N: message").
  using NoteSink = std::function<void(const std::string&)>;
  // Called after every call with its 0-based index; empty for no frames.
  using FrameSink = std::function<void(std::size_t)>;

  CallRecorder(const PinTally& tally, OutputFile& bytes, std::optional<StatsTable>& stats, NoteSink notes,
               FrameSink frames)
      : tally_(tally), bytes_(bytes), stats_(stats), notes_(std::move(notes)), frames_(std::move(frames)) {}

  void on_call_note(std::size_t index, const script::Call& call, const std::string& message) override;
  void on_call_start(std::size_t index, const script::Call& call) override;
  void on_call_end(std::size_t index, const script::Call& call) override;
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const emu::Diagnostic& note) override;

  // Writes out what is still buffered; call once after the last call.
  void flush();

 private:
  static std::string where(const script::Call& call);

  const PinTally& tally_;
  OutputFile& bytes_;
  std::optional<StatsTable>& stats_;
  NoteSink notes_;
  FrameSink frames_;
  std::string pending_;  // byte log text not yet written
  std::string current_;  // location of the call running now, empty between calls
  WireCounts counts_;    // of the call running now
  std::uint64_t writes_at_start_ = 0;
  std::uint64_t delay_at_start_ = 0;
};

}  // namespace qel::tool
