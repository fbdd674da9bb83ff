// sigrok session writer: samples to a temporary file, then the ZIP archive.
#include "trace/sr_writer.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <numeric>
#include <optional>
#include <stdexcept>

#include "common/message_text.h"
#include "emulator/board.h"

namespace qel::trace {
namespace {

struct Probe {
  std::uint8_t dio;
  const char* name;
};

constexpr std::array<Probe, 4> kProbes = {{
    {emu::kDioClock, "sclk"},
    {emu::kDioData, "sdin"},
    {emu::kDioDataCommand, "dc"},
    {emu::kDioReset, "res_n"},
}};

constexpr std::uint64_t kNsPerMs = 1'000'000;
constexpr std::size_t kBufferBytes = 64 * 1024;

std::optional<std::size_t> probe_of_dio(std::uint8_t dio) {
  for (std::size_t i = 0; i < kProbes.size(); ++i) {
    if (kProbes[i].dio == dio) return i;
  }
  return std::nullopt;
}

// The folder of `path`, "." for a bare name.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh file of a unique name in `folder`; -1 with errno on failure.
int make_temporary(const std::string& folder, const char* stem, std::string& name) {
  name = folder + "/" + stem + "XXXXXX";
  return ::mkstemp(name.data());
}

std::string rate_text(std::uint64_t hz) {
  if (hz % 1'000'000'000 == 0) return std::to_string(hz / 1'000'000'000) + " GHz";
  if (hz % 1'000'000 == 0) return std::to_string(hz / 1'000'000) + " MHz";
  if (hz % 1'000 == 0) return std::to_string(hz / 1'000) + " kHz";
  return std::to_string(hz) + " Hz";
}

}  // namespace

SrWriter::SrWriter(std::string path, std::uint64_t ns_per_write) : SrWriter(path, path, ns_per_write) {}

SrWriter::SrWriter(std::string path, std::string shown_path, std::uint64_t ns_per_write)
    : path_(std::move(path)), shown_path_(std::move(shown_path)) {
  if (ns_per_write == 0) throw std::invalid_argument("Time per pin write must be at least 1 ns, got '0'.");
  if (path_ == "-") fail("a session is a ZIP archive and cannot go to standard output; give a file name");
  const std::uint64_t step = std::gcd(ns_per_write, kNsPerMs);
  samples_per_write_ = ns_per_write / step;
  rate_hz_ = 1'000'000'000 / step;

  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) fail("it is a folder");
  int fd = -1;
  {
    const common::FatalSignalsHeld held;
    fd = make_temporary(folder_of(path_), ".qel-sr-samples-", temp_path_);
    if (fd < 0) {
      temp_path_.clear();
      fail(std::strerror(errno));
    }
    guard_ = common::TemporaryGuard(temp_path_, common::TemporaryGuard::Kind::File);
  }
  temp_ = ::fdopen(fd, "w+b");
  if (temp_ == nullptr) {
    const int error = errno;
    ::close(fd);
    std::remove(temp_path_.c_str());  // no destructor runs for a throwing constructor
    fail(std::strerror(error));
  }
  buffer_.reserve(kBufferBytes);
}

SrWriter::~SrWriter() {
  if (temp_ != nullptr) std::fclose(temp_);
  if (!temp_path_.empty()) std::remove(temp_path_.c_str());
}

void SrWriter::fail(const std::string& reason) const {
  throw std::runtime_error("Cannot write sigrok session " + common::quoted_excerpt(shown_path_) + ": " + reason + ".");
}

void SrWriter::on_open(std::uint8_t pin) {
  // Opening drives the pin low; it shows from the next sample on.
  if (const auto p = probe_of_dio(pin)) levels_ &= static_cast<std::uint8_t>(~(1u << *p));
}

void SrWriter::on_write(std::uint8_t pin, std::uint8_t level) {
  if (const auto p = probe_of_dio(pin)) {
    const auto bit = static_cast<std::uint8_t>(1u << *p);
    levels_ = level != 0 ? static_cast<std::uint8_t>(levels_ | bit) : static_cast<std::uint8_t>(levels_ & ~bit);
  }
  put(samples_per_write_);
}

// The rate is a whole number of kHz (its sample period divides 1 ms), so this is exact.
void SrWriter::on_delay(std::uint32_t ms) { put(std::uint64_t{ms} * (rate_hz_ / 1000)); }

void SrWriter::put(std::uint64_t count) {
  samples_ += count;
  while (count > 0) {
    const std::size_t room = kBufferBytes - buffer_.size();
    const std::size_t n = count < room ? static_cast<std::size_t>(count) : room;
    buffer_.insert(buffer_.end(), n, levels_);
    count -= n;
    if (buffer_.size() == kBufferBytes) flush_buffer();
  }
}

void SrWriter::flush_buffer() {
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), temp_) != buffer_.size()) {
    fail(std::strerror(errno));
  }
  buffer_.clear();
}

void SrWriter::finish() {
  if (samples_ == 0) put(1);  // a session needs a sample to show the levels
  flush_buffer();
  if (std::fflush(temp_) != 0) fail(std::strerror(errno));

  std::string metadata = "[global]\nsigrok version=0.5.2\n\n[device 1]\ncapturefile=logic-1\ntotal probes=" +
                         std::to_string(kProbes.size()) + "\nsamplerate=" + rate_text(rate_hz_) + "\ntotal analog=0\n";
  for (std::size_t i = 0; i < kProbes.size(); ++i) {
    metadata += "probe" + std::to_string(i + 1) + "=" + kProbes[i].name + "\n";
  }
  metadata += "unitsize=1\n";
  static const char kVersion[] = "2";

  int code = 0;
  zip_t* z = zip_open(path_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (z == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    fail(reason);
  }
  const auto add = [&](const std::string& name, zip_source_t* source) {
    if (source == nullptr || zip_file_add(z, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
      const std::string reason = zip_strerror(z);
      if (source != nullptr) zip_source_free(source);
      zip_discard(z);
      fail(reason);
    }
  };
  add("version", zip_source_buffer(z, kVersion, 1, 0));
  add("metadata", zip_source_buffer(z, metadata.data(), metadata.size(), 0));
  std::uint64_t chunk = 1;
  for (std::uint64_t at = 0; at < samples_; at += kChunkBytes, ++chunk) {
    const std::uint64_t length = samples_ - at < kChunkBytes ? samples_ - at : kChunkBytes;
    add("logic-1-" + std::to_string(chunk),
        zip_source_file(z, temp_path_.c_str(), at, static_cast<zip_int64_t>(length)));
  }
  if (zip_close(z) < 0) {
    const std::string reason = zip_strerror(z);
    zip_discard(z);
    fail(reason);
  }
}

}  // namespace qel::trace
