// sigrok session reader: the metadata's device section, then the sample chunks.
#include "trace/sr_reader.h"

#include <unistd.h>
#include <zip.h>

#include <cmath>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "common/message_text.h"
#include "trace/channel_roles.h"
#include "trace/sr_chunks.h"

namespace qel::trace {
namespace {

__extension__ typedef unsigned __int128 Wide;  // sample times: samples x 1e9 overflow 64 bits

constexpr std::size_t kMaxMetadataBytes = 1 << 20;
constexpr std::size_t kReadBytes = 1 << 16;  // per zip_fread: small captures cost no large buffer

struct ZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using Archive = std::unique_ptr<zip_t, ZipCloser>;
using ArchiveFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

struct Device {
  std::string capturefile;
  unsigned probes = 0;
  std::uint64_t samplerate_hz = 0;
  unsigned unitsize = 1;
  std::map<unsigned, std::string> probe_names;  // by probe number, from 1
};

class SrReader {
 public:
  SrReader(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink)
      : path_(path), map_(map), sink_(sink) {}

  // Opens the archive by its path, or from `fd` when it is not -1.
  void run(int fd) {
    open(fd);
    const std::string version = trim(read_small("version"));
    if (version != "2") fail("expected sigrok session version '2', got " + common::quoted_excerpt(version));
    parse_metadata(read_small("metadata"));
    bind();
    read_chunks();
    sink_.end();
  }

 private:
  [[noreturn]] void fail(const std::string& what) const { throw std::runtime_error("'" + path_ + "': " + what + "."); }

  void open(int fd) {
    int code = 0;
    zip_t* z = fd < 0 ? zip_open(path_.c_str(), ZIP_RDONLY, &code) : zip_fdopen(fd, 0, &code);
    if (z == nullptr && fd >= 0) ::close(fd);  // libzip closes it only once the archive is open
    if (z == nullptr) {
      zip_error_t error;
      zip_error_init_with_code(&error, code);
      const std::string reason = zip_error_strerror(&error);
      zip_error_fini(&error);
      fail("cannot read it as a sigrok session (a ZIP archive): " + reason +
           (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS ? "; the file may be cut short or damaged" : ""));
    }
    archive_.reset(z);
  }

  ArchiveFile open_entry(const std::string& name) {
    zip_file_t* f = zip_fopen(archive_.get(), name.c_str(), 0);
    if (f == nullptr) {
      fail("cannot open its entry " + common::quoted_excerpt(name) + ": " + zip_strerror(archive_.get()));
    }
    return ArchiveFile(f);
  }

  std::string read_small(const std::string& name) {
    if (zip_name_locate(archive_.get(), name.c_str(), 0) < 0) {
      fail("expected a sigrok session with an entry " + common::quoted_excerpt(name) + "; the archive has none");
    }
    const ArchiveFile f = open_entry(name);
    std::string text;
    char buffer[4096];
    zip_int64_t n = 0;
    while ((n = zip_fread(f.get(), buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
      if (text.size() > kMaxMetadataBytes) fail("its entry " + common::quoted_excerpt(name) + " is larger than 1 MiB");
    }
    if (n < 0) fail("cannot read its entry " + common::quoted_excerpt(name) + ": it is damaged");
    return text;
  }

  // "10 MHz", "250 kHz", "1.5 GHz" or bare Hz.
  std::uint64_t parse_rate(const std::string& text, std::uint64_t line) const {
    std::istringstream in(text);
    double number = 0;
    std::string unit;
    in >> number >> unit;
    const std::map<std::string, double> kUnits = {{"", 1}, {"Hz", 1}, {"kHz", 1e3}, {"MHz", 1e6}, {"GHz", 1e9}};
    const auto u = kUnits.find(unit);
    std::string rest;
    in >> rest;
    const double hz = u == kUnits.end() ? 0 : number * u->second;
    if (in.bad() || !rest.empty() || u == kUnits.end() || !(hz >= 1) || hz > 1e12) {
      fail("metadata line " + std::to_string(line) + ": expected a sample rate such as '10 MHz', got " +
           common::quoted_excerpt(text));
    }
    return static_cast<std::uint64_t>(std::llround(hz));
  }

  unsigned parse_count(const std::string& key, const std::string& value, std::uint64_t line, unsigned max) const {
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(value) == 0 || std::stoul(value) > max) {
      fail("metadata line " + std::to_string(line) + ": expected " + key + " from 1 to " + std::to_string(max) +
           ", got " + common::quoted_excerpt(value));
    }
    return static_cast<unsigned>(std::stoul(value));
  }

  void parse_metadata(const std::string& text) {
    std::istringstream in(text);
    std::string raw, section;
    std::uint64_t line = 0;
    bool seen_device = false;
    while (std::getline(in, raw)) {
      ++line;
      const std::string l = trim(raw);
      if (l.empty() || l[0] == '#' || l[0] == ';') continue;
      if (l.front() == '[') {
        section = l;
        seen_device = seen_device || section == "[device 1]";
        continue;
      }
      if (section != "[device 1]") continue;
      const auto eq = l.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = trim(l.substr(0, eq)), value = trim(l.substr(eq + 1));
      if (key == "capturefile") {
        device_.capturefile = value;
      } else if (key == "total probes") {
        device_.probes = parse_count(key, value, line, 64);
      } else if (key == "samplerate") {
        device_.samplerate_hz = parse_rate(value, line);
      } else if (key == "unitsize") {
        device_.unitsize = parse_count(key, value, line, 8);
      } else if (key.rfind("probe", 0) == 0 && key.size() > 5) {
        device_.probe_names[parse_count("a probe number", key.substr(5), line, 64)] = value;
      }
    }
    if (!seen_device) fail("expected a '[device 1]' section in its metadata");
    if (device_.capturefile.empty()) fail("expected 'capturefile=' in the metadata's '[device 1]' section");
    if (device_.samplerate_hz == 0) fail("expected 'samplerate=' in the metadata's '[device 1]' section");
    if (device_.probes == 0) fail("expected 'total probes=' in the metadata's '[device 1]' section");
    if (device_.probes > device_.unitsize * 8) {
      fail("metadata: " + std::to_string(device_.probes) + " probes do not fit in samples of " +
           std::to_string(device_.unitsize) + " bytes");
    }
  }

  void bind() {
    std::vector<Channel> channels;
    std::vector<unsigned> bits;
    std::vector<std::string> unknown;
    for (const auto& [number, name] : device_.probe_names) {
      if (number > device_.probes) {
        unknown.push_back("probe" + std::to_string(number) + "=" + name);
        continue;
      }
      channels.push_back(Channel{name, channels.size()});
      bits.push_back(number - 1);
    }
    if (!unknown.empty()) {
      sink_.note("'" + path_ + "': the metadata names " + common::quoted_list(unknown) + ", but its samples hold " +
                 std::to_string(device_.probes) + " probes ('total probes'); those channels are not read.");
    }
    RoleBinding binding;
    try {
      binding = bind_roles(channels, map_);
    } catch (const std::runtime_error& e) {
      throw std::runtime_error("'" + path_ + "': " + e.what() + ".");
    }
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto& c = binding.channel[static_cast<std::size_t>(i)];
      if (!c) continue;
      line_bit_.push_back({static_cast<emu::Line>(i), std::uint64_t{1} << bits[*c]});
      mask_ |= std::uint64_t{1} << bits[*c];
      start_.present[static_cast<std::size_t>(i)] = true;
    }
    start_.bus = binding.bus;
    start_.mapping = binding.mapping;
    start_.mapped_automatically = binding.automatic;
  }

  std::uint64_t time_of(std::uint64_t sample) const {
    return static_cast<std::uint64_t>(static_cast<Wide>(sample) * 1'000'000'000u / device_.samplerate_hz);
  }

  void sample(std::uint64_t value) {
    value &= mask_;
    if (value == last_ && sample_ != 0) {
      ++sample_;
      return;
    }
    if (sample_ == 0) {
      for (const auto& [line, bit] : line_bit_) start_.initial[static_cast<std::size_t>(line)] = (value & bit) != 0;
      sink_.begin(start_);
    } else {
      const std::uint64_t t = time_of(sample_);
      const std::uint64_t changed = value ^ last_;
      for (const auto& [line, bit] : line_bit_) {
        if ((changed & bit) != 0) sink_.change(LineChange{t, line, (value & bit) != 0});
      }
    }
    last_ = value;
    ++sample_;
  }

  std::vector<std::string> entry_names() const {
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      if (const char* name = zip_get_name(archive_.get(), static_cast<zip_uint64_t>(i), 0)) names.emplace_back(name);
    }
    return names;
  }

  std::string chunk_name(std::uint64_t n) const { return device_.capturefile + "-" + std::to_string(n); }

  std::string chunk_list(const std::vector<std::uint64_t>& numbers) const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < numbers.size() && i < common::kListedNames; ++i)
      names.push_back(chunk_name(numbers[i]));
    std::string list = common::quoted_list(names);
    if (numbers.size() > names.size()) list += " and " + std::to_string(numbers.size() - names.size()) + " more";
    return list;
  }

  // Where the samples end: "after 1112 samples, at 111200 ns".
  std::string stopped() const {
    if (sample_ == 0) return "decoding stopped before the first sample";
    return "decoding stopped after " + std::to_string(sample_) + " samples, at " + std::to_string(time_of(sample_)) +
           " ns";
  }

  void read_chunks() {
    const ChunkPlan plan = plan_chunks(entry_names(), device_.capturefile);
    if (plan.count == 0) {
      fail("expected sample chunk " + common::quoted_excerpt(chunk_name(1)) + "; the archive has none" +
           (plan.after_gap.empty() ? std::string() : " (it has " + chunk_list(plan.after_gap) + ")"));
    }
    if (!plan.out_of_range.empty()) {
      sink_.note("'" + path_ + "': entries " + common::quoted_list(plan.out_of_range) +
                 " are named like sample chunks but are none (chunks count from " +
                 common::quoted_excerpt(chunk_name(1)) + " without leading zeros); they are not read.");
    }
    for (std::uint64_t n = 1; n <= plan.count; ++n) {
      if (!read_chunk(chunk_name(n))) return;
    }
    if (sample_ == 0) sink_.begin(start_);
    if (!plan.after_gap.empty()) {
      sink_.note("'" + path_ + "': sample chunk " + common::quoted_excerpt(chunk_name(plan.count + 1)) +
                 " is missing, so " + chunk_list(plan.after_gap) + " cannot follow on; " + stopped() +
                 ", the end of chunk " + common::quoted_excerpt(chunk_name(plan.count)) + ".");
    }
  }

  // Feeds one chunk's samples; false (noted) when it stops short of its end or mid-sample.
  bool read_chunk(const std::string& name) {
    // A local pointer: the compiler then knows that feeding a sample cannot move it.
    unsigned char* const buffer = buffer_.data();
    const std::size_t size = buffer_.size();
    const unsigned unit = device_.unitsize;
    const ArchiveFile f = open_entry(name);
    std::size_t carried = 0;  // bytes of a sample begun in the previous read
    while (true) {
      const zip_int64_t got = zip_fread(f.get(), buffer + carried, size - carried);
      if (got < 0) {
        cut_short("chunk " + common::quoted_excerpt(name) + " cannot be read to its end", "cut short or damaged");
        return false;
      }
      if (got == 0) break;
      const std::size_t have = carried + static_cast<std::size_t>(got);
      const std::size_t whole = have - have % unit;
      if (unit == 1) {
        for (std::size_t i = 0; i < whole; ++i) sample(buffer[i]);
      } else {
        for (std::size_t i = 0; i < whole; i += unit) {
          std::uint64_t v = 0;
          for (unsigned b = 0; b < unit; ++b) v |= std::uint64_t{buffer[i + b]} << (8 * b);
          sample(v);
        }
      }
      carried = have - whole;
      for (std::size_t i = 0; i < carried; ++i) buffer[i] = buffer[whole + i];
    }
    if (carried != 0) {
      cut_short("chunk " + common::quoted_excerpt(name) + " ends inside a sample of " + std::to_string(unit) +
                " bytes");
      return false;
    }
    return true;
  }

  void cut_short(const std::string& what, const char* state = "cut short") {
    if (sample_ == 0) sink_.begin(start_);
    sink_.note("'" + path_ + "': the file is " + state + ": " + what + "; " + stopped() + ".");
  }

  const std::string& path_;
  const std::optional<SignalMap>& map_;
  LineSink& sink_;
  Archive archive_;
  Device device_;
  std::vector<std::pair<emu::Line, std::uint64_t>> line_bit_;
  std::uint64_t mask_ = 0;
  std::uint64_t last_ = 0;
  std::uint64_t sample_ = 0;
  std::vector<unsigned char> buffer_ = std::vector<unsigned char>(kReadBytes);
  CaptureStart start_;
};

}  // namespace

void read_sr_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink) {
  SrReader(path, map, sink).run(-1);
}

void read_sr_descriptor(int fd, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink) {
  SrReader(file_name, map, sink).run(fd);
}

}  // namespace qel::trace
