// libFuzzer entry for the sigrok session reader: each input is a .sr file (a
// ZIP archive), its channels bound from their probe names. The reader opens
// files by name, so the input is written to an anonymous memory file and read
// through /proc/self/fd: parallel runs share no path.
// - The reader either accepts it or refuses it with a std::runtime_error that
//   quotes the file; a refusal over a metadata line names a line the metadata
//   has. Any other exception, or a sanitizer report, is a fault.
// - A note (cut short, a missing chunk, probes past the count) names the file
//   and the chunk or the metadata it is about.
// - While it streams, the reader keeps the LineSink contract (capture_check.h)
//   and what it gives replays into the emulated controller.
// - Reading the same input a second time gives the same changes, notes, bytes
//   and refusal.
#include <sys/mman.h>
#include <unistd.h>
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "capture_check.h"
#include "input_text.h"
#include "trace/sr_reader.h"

namespace {

using qel::fuzz::rule_broken;

// One memory file for the whole run, rewritten for each input.
const std::string& memory_file(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("fuzz.sr", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0) rule_broken("cannot make a memory file for the input");
  if (ftruncate(fd, 0) != 0) rule_broken("cannot empty the memory file");
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) rule_broken("cannot write the input to the memory file");
    done += static_cast<std::size_t>(n);
  }
  return path;
}

// The lines of the archive's metadata entry, read from memory with libzip; 0
// when the harness cannot read it either.
std::uint64_t metadata_lines(const std::uint8_t* data, std::size_t size) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
  zip_error_fini(&error);
  if (source == nullptr) return 0;
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, nullptr);
  if (archive == nullptr) {
    zip_source_free(source);
    return 0;
  }
  std::string text;
  if (zip_file_t* f = zip_fopen(archive, "metadata", 0)) {
    char buffer[4096];
    zip_int64_t n = 0;
    while ((n = zip_fread(f, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    zip_fclose(f);
  }
  zip_discard(archive);
  return text.empty() ? 0 : qel::fuzz::line_count(text);
}

// A refusal quotes the file, and a metadata line it names is one the metadata
// has; a note names the chunk or the metadata it is about.
qel::fuzz::CaptureOutcome read_once(const std::string& path, const std::uint8_t* data, std::size_t size) {
  return qel::fuzz::read_capture(
      path, [&](qel::trace::LineSink& sink) { qel::trace::read_sr_file(path, std::nullopt, sink); },
      [&](const std::string& message, const char* what) {
        if (std::string(what) == "a note") {
          if (message.find("chunk") == std::string::npos && message.find("metadata") == std::string::npos) {
            rule_broken("a note that names no chunk and no metadata: " + message);
          }
          return;
        }
        if (message.rfind("'" + path + "': ", 0) != 0) rule_broken("a refusal that does not name the file: " + message);
        const auto at = message.find("metadata line ");
        if (at == std::string::npos) return;
        const std::uint64_t line = qel::fuzz::number_after(message.substr(at), "metadata line ");
        if (line == 0 || line > metadata_lines(data, size)) {
          rule_broken("a refusal naming a line the metadata does not have: " + message);
        }
      });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = memory_file(data, size);
  const qel::fuzz::CaptureOutcome first = read_once(path, data, size);
  qel::fuzz::expect_same(first, read_once(path, data, size));
  return 0;
}
