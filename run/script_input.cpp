// Calls of a script made on the module; see script_input.h.
#include "run/script_input.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

#include "common/message_text.h"
#include "common/user_error.h"
#include "qel/pin_fanout.h"
#include "run/note_printer.h"
#include "script/script_runner.h"
#include "trace/sr_writer.h"
#include "trace/vcd_writer.h"

namespace qel::run {
namespace {

// One source of calls: a file, standard input, a -e call or the built-in demo.
struct CallSource {
  std::string name;  // in messages
  std::string path;  // read from this file ("-": standard input), or else from `text`
  std::string text;
};

std::vector<CallSource> call_sources(const Request& o) {
  std::vector<CallSource> sources;
  if (!o.script_path.empty()) sources.push_back({o.script_path == "-" ? "<stdin>" : o.script_path, o.script_path, {}});
  for (std::size_t i = 0; i < o.calls.size(); ++i) sources.push_back({"-e#" + std::to_string(i + 1), {}, o.calls[i]});
  if (o.script_path.empty() && o.calls.empty()) sources.push_back({o.builtin_name, {}, o.builtin_script});
  return sources;
}

}  // namespace

std::string script_name(const Request& o) {
  if (!o.script_path.empty()) return o.script_path == "-" ? "<stdin>" : o.script_path;
  return o.calls.empty() ? o.builtin_name : "-e calls";
}

void run_call(Session& session, const script::Call& call) {
  session.name_next_call(call_location(call.file, call.line, call.column), call.source);
  script::execute(call);
}

void run_calls(const Request& o, Session& session, std::ostream* vcd_out, const std::string& sr_path) {
  emu::ControllerOptions options = o.controller;
  options.keep_history = false;  // every byte and note is streamed to the listeners
  session.start(options, view::RunKind::Script, script_name(o), o.pin_write_ns);
  PinFanout pins;
  pins.add(session);
  std::optional<trace::VcdWriter> vcd;
  if (vcd_out != nullptr) pins.add(vcd.emplace(*vcd_out, o.pin_write_ns));
  std::optional<trace::SrWriter> sr;
  if (!sr_path.empty()) pins.add(sr.emplace(sr_path, o.sr_path, o.pin_write_ns));
  {
    // The Session alone hears the pins directly; writers of the waveform beside it, through the fan-out.
    host::ScopedPinObserver scope(vcd || sr ? static_cast<PinObserver&>(pins) : session);
    for (const CallSource& source : call_sources(o)) {
      std::ifstream file;
      std::istringstream text;
      std::istream* in = &text;
      if (source.path == "-") {
        in = &std::cin;
      } else if (!source.path.empty()) {
        file.open(source.path, std::ios::binary);
        if (!file) {
          throw common::UserError("Cannot open script file " + common::quoted_excerpt(source.path) + ": " +
                                  std::strerror(errno) + ".");
        }
        in = &file;
      } else {
        text.str(source.text);
      }
      script::CallReader reader(*in, source.name);
      while (std::optional<script::Call> call = reader.next()) run_call(session, *call);
    }
  }
  session.finish();
  if (vcd) vcd->finish();
  if (sr) sr->finish();
}

}  // namespace qel::run
