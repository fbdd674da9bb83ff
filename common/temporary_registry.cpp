// Removal of registered temporaries on a fatal signal; see temporary_registry.h.
#include "common/temporary_registry.h"

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace qel::common {
namespace {

constexpr int kSlots = 64;
constexpr std::size_t kPathBytes = 4096;

enum State : int { kFree, kTaken, kFile, kFolder };

struct Slot {
  std::atomic<int> state{kFree};
  std::atomic<std::size_t> frames{0};
  char path[kPathBytes];
};

Slot g_slots[kSlots];

// Set while an InterruptStops lives; g_stop by SIGINT meanwhile.
std::atomic<bool> g_interrupt_stops{false};
std::atomic<bool> g_stop{false};

// Writes "<folder>/frame_NNNN.png" into `out` without any library call that a
// signal handler may not make.
void frame_path(const char* folder, std::size_t number, char* out, std::size_t size) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  while (n < 4) digits[n++] = '0';
  std::size_t at = 0;
  const auto put = [&](const char* text) {
    while (*text != '\0' && at + 1 < size) out[at++] = *text++;
  };
  put(folder);
  put("/frame_");
  while (n > 0 && at + 1 < size) out[at++] = digits[--n];
  put(".png");
  out[at] = '\0';
}

void remove_all() {
  for (Slot& slot : g_slots) {
    const int state = slot.state.load();
    if (state == kFile) {
      ::unlink(slot.path);
    } else if (state == kFolder) {
      char path[kPathBytes + 32];
      for (std::size_t i = slot.frames.load(); i > 0; --i) {
        frame_path(slot.path, i, path, sizeof path);
        ::unlink(path);
      }
      ::rmdir(slot.path);
    }
  }
}

extern "C" void on_fatal_signal(int signal) {
  if (signal == SIGINT && g_interrupt_stops.load()) {
    g_stop.store(true);
    return;
  }
  remove_all();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

}  // namespace

FatalSignalsHeld::FatalSignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (int s : kFatalSignals) sigaddset(&held, s);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

FatalSignalsHeld::~FatalSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void remove_temporaries_on_signals() {
  static const bool installed = [] {
    for (int s : kFatalSignals) {
      struct sigaction action {};
      action.sa_handler = on_fatal_signal;
      sigemptyset(&action.sa_mask);
      ::sigaction(s, &action, nullptr);
    }
    return true;
  }();
  (void)installed;
}

InterruptStops::InterruptStops() {
  remove_temporaries_on_signals();
  g_stop.store(false);
  g_interrupt_stops.store(true);
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  ::pthread_sigmask(SIG_BLOCK, &interrupt, &previous_);
}

InterruptStops::~InterruptStops() {
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);  // a SIGINT held is taken here, still as a stop
  g_interrupt_stops.store(false);
}

bool stop_requested() { return g_stop.load(); }

InputWait wait_for_input(int fd, int timeout_ms) {
  sigset_t during;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &during);
  sigdelset(&during, SIGINT);
  const timespec limit{timeout_ms / 1000, (timeout_ms % 1000) * 1'000'000L};
  pollfd input{fd, POLLIN, 0};
  while (true) {
    if (g_stop.load()) return InputWait::Stop;
    const int ready = ::ppoll(&input, 1, timeout_ms < 0 ? nullptr : &limit, &during);
    if (g_stop.load()) return InputWait::Stop;
    if (ready > 0 || (ready < 0 && errno != EINTR)) return InputWait::Ready;
    if (ready == 0) return InputWait::Nothing;
  }
}

TemporaryGuard::TemporaryGuard(const std::string& path, Kind kind) {
  if (path.size() >= kPathBytes) return;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kTaken)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].frames.store(0);
    g_slots[i].state.store(kind == Kind::File ? kFile : kFolder);
    slot_ = i;
    return;
  }
}

TemporaryGuard& TemporaryGuard::operator=(TemporaryGuard&& other) noexcept {
  if (this != &other) {
    release();
    slot_ = other.slot_;
    other.slot_ = -1;
  }
  return *this;
}

void TemporaryGuard::set_frame_count(std::size_t count) {
  if (slot_ >= 0) g_slots[slot_].frames.store(count);
}

void TemporaryGuard::release() {
  if (slot_ < 0) return;
  g_slots[slot_].state.store(kFree);
  slot_ = -1;
}

std::string frame_file_name(std::size_t number) {
  char name[48];
  frame_path("", number, name, sizeof name);
  return name + 1;  // without the leading '/'
}

}  // namespace qel::common
