// The kit's C interface over one PanelSession at a time. Every entry point
// catches what the C++ layers throw and turns it into -1 and an error sentence,
// so a C test never sees an exception or an abort.
#include "kit/qel_panel.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "common/file_identity.h"
#include "common/staged_file.h"
#include "kit/panel_session.h"
#include "qel/pin_observer.h"
#include "view/png_compare.h"
#include "view/png_writer.h"
#include "view/terminal_view.h"
#include "view/text_readback.h"

namespace {

using qel::kit::PanelSession;

struct KitState {
  // What the readers see when no panel is connected: a dark, empty one, never
  // connected. It is made with the kit's state, so reading after qel_panel_close
  // allocates nothing a leak checker could see.
  PanelSession idle{qel::emu::ControllerOptions{}};
  // The panel on the pins; none before the first reset and after qel_panel_close.
  std::unique_ptr<PanelSession> session;
  std::string error;
  const char* fixed_error = nullptr;  // when even the error sentence could not be stored
  ~KitState() {
    if (session) qel::host::set_pin_observer(nullptr);  // nothing may report to a destroyed session
  }
};

KitState& state() {
  static KitState s;
  return s;
}

// The state is made before main, so the first test that uses the kit does not
// leave it behind: a leak checker that watches each test (CppUTest's) would take
// it for that test's own leak.
[[maybe_unused]] const bool kStateMadeBeforeMain = (state(), true);

PanelSession& session() {
  KitState& s = state();
  return s.session ? *s.session : s.idle;
}

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

bool update_golden_requested() {
  const char* v = std::getenv("QEL_PANEL_UPDATE_GOLDEN");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

bool file_missing(const char* path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return status.type() == std::filesystem::file_type::not_found;
}

}  // namespace

qel::kit::PanelSession& qel::kit::current_panel() { return session(); }

extern "C" {

void qel_panel_reset(const qel_panel_options* options) {
  qel::emu::ControllerOptions o;
  if (options != nullptr) {
    o.noise_ram = options->noise_ram != 0;
    o.column_wrap = options->column_wrap_zero != 0 ? qel::emu::ColumnWrap::Zero : qel::emu::ColumnWrap::Start;
  }
  // On failure the old session stays connected and qel_panel_error says why.
  guarded([&] {
    auto fresh = std::make_unique<PanelSession>(o);
    if (state().session) fresh->adopt_buffer(state().session->take_buffer());
    qel::host::set_pin_observer(fresh.get());  // before the old session goes away
    state().session = std::move(fresh);
    return 0;
  });
}

void qel_panel_close(void) {
  KitState& s = state();
  if (s.session) {
    qel::host::set_pin_observer(nullptr);  // before the session goes away
    s.session.reset();
  }
  std::string().swap(s.error);
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
  if (x >= static_cast<unsigned>(qel::emu::Picture::kWidth) || y >= static_cast<unsigned>(qel::emu::Picture::kHeight)) {
    return -1;
  }
  return session().picture().lit(static_cast<int>(x), static_cast<int>(y)) ? 1 : 0;
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
    const qel::emu::Picture& now = session().picture();
    if (file_missing(golden_png)) {
      if (!update_golden_requested()) {
        return fail(std::string("Golden PNG file '") + golden_png +
                    "' does not exist; run the test with QEL_PANEL_UPDATE_GOLDEN=1 to create it.");
      }
      qel::common::write_whole_file(golden_png, "golden PNG file", qel::view::encode_png(now));
      return 0;
    }
    if (diff_png != nullptr && qel::common::same_file(golden_png, diff_png)) {
      return fail(std::string("The diff image '") + diff_png + "' is the golden PNG file '" + golden_png +
                  "'; writing it would destroy the golden. Give the diff image another name.");
    }
    const qel::view::PanelPng golden = qel::view::read_panel_png(golden_png);
    const qel::view::LitMap lit = qel::view::lit_map(now);
    const long differing = qel::view::count_differences(golden.lit, lit);
    if (differing != 0 && diff_png != nullptr) {
      qel::common::write_whole_file(
          diff_png, "diff image",
          qel::view::encode_rgb_png(qel::view::diff_rgb(golden, lit), golden.width, golden.height));
    }
    return differing;
  });
}

// A recording that lost an event is incomplete: its notes end with a note that
// says so, and its bytes are not handed out as if they were all.
size_t qel_panel_note_count(void) {
  const size_t kept = session().notes().size();
  if (session().recording_failure() == nullptr) return kept;
  fail(session().recording_failure());
  return kept + 1;
}

const char* qel_panel_note(size_t index) {
  const auto& notes = session().notes();
  if (index < notes.size()) return notes[index].c_str();
  return index == notes.size() ? session().recording_failure() : nullptr;
}

size_t qel_panel_bytes(const qel_panel_byte** bytes) {
  if (session().recording_failure() != nullptr) {
    if (bytes != nullptr) *bytes = nullptr;
    fail(session().recording_failure());
    return 0;
  }
  const auto& all = session().bytes();
  if (bytes != nullptr) *bytes = all.data();
  return all.size();
}

int qel_panel_write_vcd(const char* path) {
  if (path == nullptr) return fail("No VCD file name given (NULL).");
  return guarded([&] {
    std::ostringstream text;
    session().write_vcd(text);
    const std::string s = text.str();
    qel::common::write_whole_file(path, "VCD file", std::vector<std::uint8_t>(s.begin(), s.end()));
    return 0;
  });
}

void qel_panel_print(FILE* out) {
  guarded([&] {
    const std::string text = qel::view::render_text(session().picture());
    std::fputs(text.c_str(), out != nullptr ? out : stdout);
    std::fflush(out != nullptr ? out : stdout);
    return 0;
  });
}

const char* qel_panel_error(void) {
  const KitState& s = state();
  return s.fixed_error != nullptr ? s.fixed_error : s.error.c_str();
}

}  // extern "C"
