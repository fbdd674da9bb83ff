// The kit's C interface over one PanelSession at a time. Every entry point
// catches what the C++ layers throw and turns it into -1 and an error sentence,
// so a C test never sees an exception or an abort.
#include "kit/qel_panel.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "common/file_identity.h"
#include "common/message_text.h"
#include "common/staged_file.h"
#include "kit/panel_session.h"
#include "qel/pin_observer.h"
#include "run/frame_recorder.h"
#include "view/html_report.h"
#include "view/png_compare.h"
#include "view/png_writer.h"
#include "view/terminal_view.h"
#include "view/text_readback.h"

namespace {

using qel::kit::PanelLimits;
using qel::kit::PanelSession;

constexpr std::size_t kMegabyte = std::size_t{1} << 20;
constexpr std::size_t kDefaultWaveformMb = 16;
constexpr std::size_t kFramesWaveformMb = 4;  // with frames, which keep each call's own waveform

// Hears the module while no panel is connected (before the first reset, after
// qel_panel_close): a call then belongs to a test that did not reset the panel.
class NoPanel : public qel::PinObserver {
 public:
  void on_open(std::uint8_t) override {}
  void on_write(std::uint8_t, std::uint8_t) override {}
  void on_delay(std::uint32_t) override {}
  void on_call_begin(const qel::ModuleCall&) override { ++calls; }
  std::size_t calls = 0;
  bool closed = false;  // qel_panel_close was called: it is not the program's start
};

struct KitState {
  // What the readers see when no panel is connected: a dark, empty one, never
  // connected. It is made with the kit's state, so reading after qel_panel_close
  // allocates nothing a leak checker could see.
  PanelSession idle{qel::emu::ControllerOptions{}, PanelLimits{kDefaultWaveformMb * kMegabyte}};
  // The panel on the pins; none before the first reset and after qel_panel_close.
  std::unique_ptr<PanelSession> session;
  NoPanel no_panel;
  std::string error;
  const char* fixed_error = nullptr;  // when even the error sentence could not be stored
  std::string no_panel_note;          // the note of calls made with no panel connected

  KitState() { qel::host::set_pin_observer(&no_panel); }
  ~KitState() { qel::host::set_pin_observer(nullptr); }  // nothing may report to a destroyed session
};

KitState& state() {
  static KitState s;
  return s;
}

// The state is made before main, so the first test that uses the kit does not
// leave it behind: a leak checker that watches each test (CppUTest's) would take
// it for that test's own leak.
[[maybe_unused]] const bool kStateMadeBeforeMain = (state(), true);

// Stores the error sentence; never throws, as it runs in the C entry points' handlers.
int fail(const char* message) noexcept {
  KitState& s = state();
  try {
    s.error = message;
    s.fixed_error = nullptr;
  } catch (...) {
    s.fixed_error = "The panel test kit ran out of memory.";
  }
  return -1;
}

int fail(const std::string& message) noexcept { return fail(message.c_str()); }

// Runs `body`, which returns the call's result; an exception becomes -1 and the error.
template <typename Body>
auto guarded(Body body) -> decltype(body()) {
  try {
    return body();
  } catch (const std::exception& e) {
    return fail(e.what());
  } catch (...) {
    return fail("Unexpected failure inside the panel test kit.");
  }
}

// The note for module calls that reached no panel, or nullptr when there were none.
const char* no_panel_note() noexcept {
  KitState& s = state();
  if (s.session || s.no_panel.calls == 0) return nullptr;
  try {
    s.no_panel_note = std::to_string(s.no_panel.calls) + " module call" + (s.no_panel.calls == 1 ? "" : "s") +
                      " reached no panel: qel_panel_reset was not called " +
                      (s.no_panel.closed ? "after qel_panel_close" : "before them") +
                      ", so this test reads an empty panel. Start each test with qel_panel_reset.";
    return s.no_panel_note.c_str();
  } catch (...) {
    return "Module calls reached no panel: start each test with qel_panel_reset.";
  }
}

// The panel the readers see; says so in qel_panel_error() when the test wrote to none.
PanelSession& session() {
  KitState& s = state();
  if (s.session) return *s.session;
  if (const char* note = no_panel_note()) fail(note);
  return s.idle;
}

// QEL_PANEL_UPDATE_GOLDEN: 1, true, yes or on (any case) asks for an update; unset,
// empty, 0, false, no or off do not; anything else is refused.
bool update_golden_requested() {
  const char* v = std::getenv("QEL_PANEL_UPDATE_GOLDEN");
  if (v == nullptr) return false;
  std::string value(v);
  std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* on : {"1", "true", "yes", "on"}) {
    if (value == on) {
      const char* ci = std::getenv("CI");
      if (ci != nullptr && *ci != '\0') {
        throw std::runtime_error(
            "QEL_PANEL_UPDATE_GOLDEN is set under CI (the CI environment variable is set): goldens are never "
            "recorded or rewritten there. Record them on a workstation and commit them.");
      }
      return true;
    }
  }
  for (const char* off : {"", "0", "false", "no", "off"}) {
    if (value == off) return false;
  }
  throw std::runtime_error("QEL_PANEL_UPDATE_GOLDEN=" + qel::common::quoted_excerpt(v) +
                           " is not understood: use 1, true, yes or on to record goldens, or 0, false, no or off.");
}

bool file_missing(const char* path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return status.type() == std::filesystem::file_type::not_found;
}

// Writes a picture file, creating its folder first.
void write_with_folder(const std::filesystem::path& path, const std::string& what,
                       const std::vector<std::uint8_t>& bytes) {
  if (path.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
      throw std::runtime_error("Cannot create the folder '" + path.parent_path().string() + "' for the " + what + " '" +
                               path.string() + "': " + ec.message() + ".");
    }
  }
  qel::common::write_whole_file(path.string(), what, bytes);
}

std::vector<std::uint8_t> diff_png_bytes(const qel::view::PanelPng& golden, const qel::view::LitMap& now) {
  const qel::view::RgbImage image = qel::view::diff_image(golden, now);
  return qel::view::encode_rgb_png(image.rgb, image.width, image.height);
}

// QEL_PANEL_ARTIFACTS_DIR: where the pictures of a golden that differs are left for CI.
std::string artifacts_dir() {
  const char* dir = std::getenv("QEL_PANEL_ARTIFACTS_DIR");
  return dir != nullptr ? dir : "";
}

int write_text_file(const char* path, const char* what, const std::string& text) {
  qel::common::write_whole_file(path, what, std::vector<std::uint8_t>(text.begin(), text.end()));
  return 0;
}

void print(FILE* out, qel::view::TextStyle style) {
  guarded([&] {
    const std::string text = qel::view::render_text(session().picture(), style);
    std::fputs(text.c_str(), out != nullptr ? out : stdout);
    std::fflush(out != nullptr ? out : stdout);
    return 0;
  });
}

const qel::run::FrameRecorder& frames_or_throw() {
  const qel::run::FrameRecorder* frames = session().frames();
  if (frames == nullptr) {
    throw std::runtime_error(
        "The panel kept no frames to show: reset it with qel_panel_options.frames = 1 before the test.");
  }
  return *frames;
}

}  // namespace

qel::kit::PanelSession& qel::kit::current_panel() { return session(); }

extern "C" {

void qel_panel_reset(const qel_panel_options* options) {
  qel::emu::ControllerOptions o;
  PanelLimits limits{kDefaultWaveformMb * kMegabyte};
  if (options != nullptr) {
    const std::string controller = options->controller != nullptr ? options->controller : "";
    const std::string glass = options->glass != nullptr ? options->glass : "";
    const qel::emu::PanelChoice choice = qel::emu::choose_panel(controller, glass, o.model, o.glass);
    if (!choice) {
      fail(choice.controller_mistake
               ? "qel_panel_options.controller " + qel::common::quoted_excerpt(controller) + " " +
                     *choice.controller_mistake + "."
               : "qel_panel_options.glass " + qel::common::quoted_excerpt(glass) + " " + *choice.glass_mistake + ".");
      return;
    }
    o.noise_ram = options->noise_ram != 0;
    o.column_wrap = options->column_wrap_zero != 0 ? qel::emu::ColumnWrap::Zero : qel::emu::ColumnWrap::Start;
    if (options->waveform_mb < 0) limits.waveform_bytes = 0;
    if (options->waveform_mb > 0) limits.waveform_bytes = static_cast<std::size_t>(options->waveform_mb) * kMegabyte;
    limits.frames = options->frames != 0;
    // Frames hold each call's waveform for the report: the whole one is kept shorter then.
    if (limits.frames && options->waveform_mb == 0) limits.waveform_bytes = kFramesWaveformMb * kMegabyte;
  }
  // On failure the old session stays connected and qel_panel_error says why.
  guarded([&] {
    auto fresh = std::make_unique<PanelSession>(o, limits);
    KitState& s = state();
    if (s.session) fresh->adopt_buffer(s.session->take_buffer());
    qel::host::set_pin_observer(fresh.get());  // before the old session goes away
    s.session = std::move(fresh);
    s.no_panel.calls = 0;
    return 0;
  });
}

void qel_panel_close(void) {
  KitState& s = state();
  qel::host::set_pin_observer(&s.no_panel);  // before the session goes away
  s.session.reset();
  s.no_panel.calls = 0;
  s.no_panel.closed = true;
  std::string().swap(s.error);
  std::string().swap(s.no_panel_note);
  s.fixed_error = nullptr;
}

size_t qel_panel_line_text(unsigned line, char* buf, size_t size) {
  if (buf != nullptr && size != 0) buf[0] = '\0';
  const int length = guarded([&] {
    const std::string text = qel::view::line_text(session().controller(), line);
    if (buf != nullptr && size != 0) {
      const size_t n = text.size() < size - 1 ? text.size() : size - 1;
      std::memcpy(buf, text.data(), n);
      buf[n] = '\0';
    }
    return static_cast<int>(text.size());
  });
  return length < 0 ? 0 : static_cast<size_t>(length);
}

int qel_panel_pixel(unsigned x, unsigned y) {
  const qel::emu::Picture& picture = session().picture();
  if (x >= static_cast<unsigned>(picture.width) || y >= static_cast<unsigned>(picture.height)) return -1;
  return picture.lit(static_cast<int>(x), static_cast<int>(y)) ? 1 : 0;
}

int qel_panel_write_png(const char* path) {
  if (path == nullptr) return fail("No PNG file name given (NULL).");
  return guarded([&] {
    qel::common::write_whole_file(path, "PNG file", qel::view::encode_png(session().picture()));
    return 0;
  });
}

long qel_panel_compare_png(const char* golden_png, const char* diff_png) {
  if (golden_png == nullptr) return fail("No golden PNG file name given (NULL).");
  return guarded([&]() -> long {
    namespace fs = std::filesystem;
    const bool update = update_golden_requested();
    const qel::emu::Picture& now = session().picture();
    const std::string artifacts = artifacts_dir();
    const std::string name = fs::path(golden_png).stem().string();
    if (file_missing(golden_png)) {
      if (update) {
        write_with_folder(golden_png, "golden PNG file", qel::view::encode_png(now));
        std::fprintf(stderr, "qel_panel: recorded the golden '%s'.\n", golden_png);
        return 0;
      }
      if (!artifacts.empty()) {
        write_with_folder(fs::path(artifacts) / (name + ".actual.png"), "actual picture", qel::view::encode_png(now));
      }
      return fail(std::string("Golden PNG file '") + golden_png +
                  "' does not exist; run the test with QEL_PANEL_UPDATE_GOLDEN=1 to record it.");
    }
    if (diff_png != nullptr && qel::common::same_file(golden_png, diff_png)) {
      return fail(std::string("The diff image '") + diff_png + "' is the golden PNG file '" + golden_png +
                  "'; writing it would destroy the golden. Give the diff image another name.");
    }
    const qel::view::PanelPng golden = qel::view::read_panel_png(golden_png, now.width, now.height);
    const qel::view::LitMap lit = qel::view::lit_map(now);
    const long differing = qel::view::count_differences(golden.lit, lit);
    if (differing == 0) return 0;
    const auto where = qel::view::difference_box(golden.lit, lit, now.width);
    const std::string box = where ? qel::view::box_text(*where) : "another size";
    if (update) {
      write_with_folder(golden_png, "golden PNG file", qel::view::encode_png(now));
      std::fprintf(stderr, "qel_panel: rewrote the golden '%s' (%ld pixels differed, %s).\n", golden_png, differing,
                   box.c_str());
      return 0;
    }
    std::string message = std::string("The panel differs from the golden '") + golden_png + "' in " +
                          std::to_string(differing) + " pixel" + (differing == 1 ? "" : "s") + " (" + box + ")";
    if (diff_png != nullptr) {
      qel::common::write_whole_file(diff_png, "diff image", diff_png_bytes(golden, lit));
      message += std::string("; diff image '") + diff_png + "'";
    }
    if (!artifacts.empty()) {
      write_with_folder(fs::path(artifacts) / (name + ".actual.png"), "actual picture", qel::view::encode_png(now));
      write_with_folder(fs::path(artifacts) / (name + ".diff.png"), "diff image", diff_png_bytes(golden, lit));
      message += "; actual and diff images in '" + artifacts + "'";
    }
    fail(message + ".");
    return differing;
  });
}

int qel_panel_write_report(const char* path) {
  if (path == nullptr) return fail("No report file name given (NULL).");
  return guarded([&] {
    qel::view::RunFrames run = frames_or_throw().frames();
    std::vector<qel::run::Finding> findings;
    for (const auto& f : session().findings()) findings.push_back(f.finding);
    run.findings = qel::run::report_findings(findings);
    return write_text_file(path, "report file", qel::view::render_html_report(run));
  });
}

int qel_panel_write_gif(const char* path) {
  if (path == nullptr) return fail("No GIF file name given (NULL).");
  return guarded([&] {
    qel::common::write_whole_file(path, "GIF file", qel::run::encode_run_gif(frames_or_throw().frames(), {}));
    return 0;
  });
}

// A recording that lost an event is incomplete: its notes end with a note that
// says so, and its bytes are not handed out as if they were all. Calls that
// reached no panel are one note.
size_t qel_panel_note_count(void) {
  if (no_panel_note() != nullptr) return 1;
  const size_t kept = session().notes().size();
  if (session().recording_failure() == nullptr) return kept;
  fail(session().recording_failure());
  return kept + 1;
}

const char* qel_panel_note(size_t index) {
  if (const char* note = no_panel_note()) return index == 0 ? note : nullptr;
  const auto& notes = session().notes();
  if (index < notes.size()) return notes[index].c_str();
  return index == notes.size() ? session().recording_failure() : nullptr;
}

size_t qel_panel_bytes(const qel_panel_byte** bytes) {
  if (bytes != nullptr) *bytes = nullptr;
  PanelSession& panel = session();
  if (panel.recording_failure() != nullptr) {
    fail(panel.recording_failure());
    return 0;
  }
  const auto* all = panel.bytes();
  if (all == nullptr) {
    fail("The panel took " + std::to_string(panel.byte_total()) +
         " bytes since its reset; the kit keeps the first 4194304, so they cannot all be given. Reset the panel "
         "in each test.");
    return 0;
  }
  if (bytes != nullptr) *bytes = all->data();
  return all->size();
}

int qel_panel_write_vcd(const char* path) {
  if (path == nullptr) return fail("No VCD file name given (NULL).");
  return guarded([&] {
    std::ostringstream text;
    const bool whole = session().write_vcd(text);
    write_text_file(path, "VCD file", text.str());
    if (whole) return 0;
    fail(*session().waveform_cut() + " The VCD file '" + path + "' holds the part before.");
    return 1;
  });
}

void qel_panel_print(FILE* out) { print(out, qel::view::TextStyle::Unicode); }

void qel_panel_print_ascii(FILE* out) { print(out, qel::view::TextStyle::Ascii); }

const char* qel_panel_error(void) {
  const KitState& s = state();
  return s.fixed_error != nullptr ? s.fixed_error : s.error.c_str();
}

}  // extern "C"
