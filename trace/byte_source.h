// Where a text capture's bytes come from. A reader asks for more and gets what
// has arrived so far, so that a capture piped from a running analyzer is
// decoded as it comes rather than after its end.
#pragma once

#include <cstddef>
#include <istream>

namespace qel::trace {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to `max` (at least 1) bytes into `into`, waiting until one has
  // arrived; 0 only at the end of the input. Throws std::runtime_error naming
  // the input when it cannot be read.
  virtual std::size_t read(char* into, std::size_t max) = 0;
};

// The bytes of a stream the caller opened: a file, or text in memory.
class StreamSource final : public ByteSource {
 public:
  explicit StreamSource(std::istream& in) : in_(in) {}

  std::size_t read(char* into, std::size_t max) override {
    in_.read(into, static_cast<std::streamsize>(max));
    return static_cast<std::size_t>(in_.gcount());
  }

 private:
  std::istream& in_;
};

}  // namespace qel::trace
