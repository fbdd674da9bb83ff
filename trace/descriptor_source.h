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
  // `head`: bytes already taken from `fd` (to tell the format), given back
  // first. `idle`, when set, is called each time the input has nothing ready
  // and the read is about to wait for it. `name` is the input as messages show it.
  // The descriptor stays the caller's to close.
  DescriptorSource(int fd, std::string name, std::string head = {}, std::function<void()> idle = {});

  std::size_t read(char* into, std::size_t max) override;

 private:
  int fd_;
  std::string name_;
  std::string head_;
  std::size_t head_taken_ = 0;
  std::function<void()> idle_;
};

// One read(2) of up to `max` bytes, again when a signal interrupts it; 0 at the
// end. Throws std::runtime_error "Cannot read capture '<name>': <reason>.".
std::size_t read_descriptor(int fd, char* into, std::size_t max, const std::string& name);

}  // namespace qel::trace
