// Reading a capture from a file descriptor; see descriptor_source.h.
#include "trace/descriptor_source.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

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

DescriptorSource::DescriptorSource(int fd, std::string name, std::string head, std::function<void()> idle)
    : fd_(fd), name_(std::move(name)), head_(std::move(head)), idle_(std::move(idle)) {}

std::size_t DescriptorSource::read(char* into, std::size_t max) {
  if (head_taken_ < head_.size()) {
    const std::size_t n = std::min(max, head_.size() - head_taken_);
    std::memcpy(into, head_.data() + head_taken_, n);
    head_taken_ += n;
    if (head_taken_ == head_.size()) std::string().swap(head_);
    return n;
  }
  if (idle_) {
    pollfd ready{fd_, POLLIN, 0};
    if (::poll(&ready, 1, 0) == 0) idle_();
  }
  return read_descriptor(fd_, into, max, name_);
}

}  // namespace qel::trace
