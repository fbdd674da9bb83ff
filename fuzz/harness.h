// Runs a script of public calls against the real module, the host PIN stand-in
// and the controller emulator, and checks after every call that:
// - every byte was a whole 25-write pattern and no call ran past the byte cap;
// - nothing reached the pins before a successful start-up, and every start-up
//   sent exactly the start-up stream and left the panel blank;
// - line operations sent only page and column addresses as commands (so the
//   controller's configuration stays as set up), as many command and data bytes
//   as the text calls for, and wrote no other page.
// Start-ups are the slowest calls, so each kind is checked in full once per
// process: a later start-up from power-on is restored from a snapshot of the
// first, and a later start-up with the pins open is held to the first one's pin
// events, write by write (see RepeatStartup in harness.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "call_script.h"

namespace qel::fuzz {

// Starts from a fresh module and runs the calls in order. Returns the first rule
// broken, naming the call; nullopt when every call kept every rule.
std::optional<std::string> run_calls(const std::vector<Call>& calls);

}  // namespace qel::fuzz
