// A run's calls: read from a script file, standard input, calls given one by
// one, or the built-in demo, and made on the real module one at a time while a
// Session watches the module's pins. Only the current call is held, so a long
// script runs in bounded memory.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "run/request.h"
#include "run/session.h"
#include "script/script_parser.h"

namespace qel::run {

// The script's name in messages and the report: the file, "<stdin>", "-e
// calls" or the built-in script's name.
std::string script_name(const Request& request);

// Runs every call of the request's sources through `session` (started here),
// with the pins also written as a VCD (`vcd`, or none) and a sigrok session
// (`sr_path`, or none); ends the trace. Throws ScriptError for a bad script
// and UserError for a script file that cannot be read.
void run_calls(const Request& request, Session& session, std::ostream* vcd, const std::string& sr_path);

// Runs one call on the module, which `session` hears under the call's
// location and text.
void run_call(Session& session, const script::Call& call);

}  // namespace qel::run
