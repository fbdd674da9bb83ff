// The bytes of an open file descriptor: a file, standard input, a pipe or a
// FIFO. Each read takes what the input has (a pipe gives what its writer wrote
// so far) and never waits for more than one byte, so a reader decodes a live
// capture as it arrives.
#pragma once

#include <functional>
#include <string>

#include "trace/byte_source.h"

namespace qel::trace {

class DescriptorSource final : public ByteSource {
 public:
  // How often `idle` is told again while the input stays silent.
  static constexpr int kIdleRepeatMs = 50;

  // `name` is the input as messages show it. `streamed`: the input arrives
  // over time (a pipe, a FIFO, a terminal); each read then waits for it
  // through common::wait_for_input, so that a stop requested meanwhile ends the
  // input (stopped()), and tells `idle`, when set, whenever nothing is ready,
  // and again every kIdleRepeatMs while nothing comes. The descriptor stays
  // the caller's to close.
  DescriptorSource(int fd, std::string name, bool streamed = false, std::function<void()> idle = {});

  // Bytes already taken from the descriptor (to tell the format), given back
  // first by the next reads.
  void give_back(std::string head);

  std::size_t read(char* into, std::size_t max) override;
  bool stopped() const override { return stopped_; }

 private:
  // Waits for input on a streamed descriptor; false when a stop was requested.
  bool wait();

  int fd_;
  std::string name_;
  bool streamed_;
  std::function<void()> idle_;
  std::string head_;
  std::size_t head_taken_ = 0;
  bool stopped_ = false;
};

// One read(2) of up to `max` bytes, again when a signal interrupts it; 0 at the
// end. Throws std::runtime_error "Cannot read capture '<name>': <reason>.".
std::size_t read_descriptor(int fd, char* into, std::size_t max, const std::string& name);

}  // namespace qel::trace
