// Temporary files and folders that must not outlive the process. Each staged
// output registers its temporary here while it exists; if the process is ended
// by SIGINT, SIGTERM, SIGHUP or SIGPIPE, the handler removes every registered
// temporary (a folder with its numbered frames) before the signal takes its
// usual effect. The handler only calls unlink() and rmdir(), which are safe in
// a signal handler; registering takes a free slot without locks.
//
// A run reading input that arrives over time (a capture piped from a running
// analyzer) can instead take SIGINT as a request to stop reading: see
// InterruptStops.
#pragma once

#include <signal.h>

#include <atomic>
#include <cstddef>
#include <string>

namespace qel::common {

// Installs the handlers once (a program calls this at start; a library never
// does, so the kit leaves its users' signal handling alone).
void remove_temporaries_on_signals();

// Registers `path` for removal for the lifetime of this object. A folder
// registration also removes `<path>/frame_0001.png` up to the count given by
// set_frame_count(), then the folder itself. When every slot is taken the path
// is not registered: the run still works, only a signal may leave it behind.
class TemporaryGuard {
 public:
  enum class Kind { File, FrameFolder };
  TemporaryGuard() = default;
  TemporaryGuard(const std::string& path, Kind kind);
  ~TemporaryGuard() { release(); }
  TemporaryGuard(TemporaryGuard&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }
  TemporaryGuard& operator=(TemporaryGuard&& other) noexcept;
  TemporaryGuard(const TemporaryGuard&) = delete;
  TemporaryGuard& operator=(const TemporaryGuard&) = delete;

  void set_frame_count(std::size_t count);
  // The temporary is gone or has taken the file's place: stop guarding it.
  void release();

 private:
  int slot_ = -1;
};

// Holds off the fatal signals above for its lifetime, so that a temporary is
// never made without being registered: create it and guard it while one lives.
class FatalSignalsHeld {
 public:
  FatalSignalsHeld();
  ~FatalSignalsHeld();
  FatalSignalsHeld(const FatalSignalsHeld&) = delete;
  FatalSignalsHeld& operator=(const FatalSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// While one lives, SIGINT (Ctrl-C) no longer ends the process: it asks the run
// to stop, and stop_requested() turns true. SIGINT is held meanwhile except
// inside wait_for_input(), so a read waiting for input sees the request at once
// and a run busy with what it already has sees it at its next wait. The other
// signals keep their effect. When it ends, a SIGINT held until then only asks
// for the stop too; after it, SIGINT ends the process again. One at a time.
class InterruptStops {
 public:
  InterruptStops();
  ~InterruptStops();
  InterruptStops(const InterruptStops&) = delete;
  InterruptStops& operator=(const InterruptStops&) = delete;

 private:
  sigset_t previous_;
};

// A SIGINT came while an InterruptStops lived (since the last one began).
bool stop_requested();

enum class InputWait { Ready, Nothing, Stop };

// Waits up to `timeout_ms` (-1: as long as it takes) until `fd` has input to
// read (or its end, or an error, which the read then tells): Ready; Nothing
// when the time ran out first; Stop when a stop is requested before or meanwhile.
InputWait wait_for_input(int fd, int timeout_ms);

// Frame N's name in a frames folder: "frame_0001.png" (at least four digits).
std::string frame_file_name(std::size_t number);

}  // namespace qel::common
