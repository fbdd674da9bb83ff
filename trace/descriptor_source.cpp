// Reading a capture from a file descriptor; see descriptor_source.h.
#include "trace/descriptor_source.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "common/temporary_registry.h"

namespace qel::trace {

std::size_t read_descriptor(int fd, char* into, std::size_t max, const std::string& name) {
  while (true) {
    const ssize_t got = ::read(fd, into, max);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      throw std::runtime_error("Cannot read capture '" + name + "': " + std::strerror(errno) + ".");
    }
  }
}

DescriptorSource::DescriptorSource(int fd, std::string name, bool streamed, std::function<void()> idle)
    : fd_(fd), name_(std::move(name)), streamed_(streamed), idle_(std::move(idle)) {}

void DescriptorSource::give_back(std::string head) {
  head_ = std::move(head);
  head_taken_ = 0;
}

bool DescriptorSource::wait() {
  using common::InputWait;
  InputWait state = common::wait_for_input(fd_, 0);
  while (state == InputWait::Nothing) {
    if (idle_) idle_();
    state = common::wait_for_input(fd_, idle_ ? kIdleRepeatMs : -1);
  }
  return state == InputWait::Ready;
}

std::size_t DescriptorSource::read(char* into, std::size_t max) {
  if (head_taken_ < head_.size()) {
    const std::size_t n = std::min(max, head_.size() - head_taken_);
    std::memcpy(into, head_.data() + head_taken_, n);
    head_taken_ += n;
    if (head_taken_ == head_.size()) std::string().swap(head_);
    return n;
  }
  if (stopped_) return 0;
  if (streamed_ && !wait()) {
    stopped_ = true;
    return 0;
  }
  const std::size_t got = read_descriptor(fd_, into, max, name_);
  // The writer ended with the same Ctrl-C (an analyzer in the same pipeline).
  if (got == 0 && streamed_ && common::stop_requested()) stopped_ = true;
  return got;
}

}  // namespace qel::trace
