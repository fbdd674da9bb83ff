// libFuzzer entry for the call-script language: each input is a script.
// - The lexer and parser either accept it or refuse it with a ScriptError whose
//   file:line:column names a place in the script; any other exception, or a
//   sanitizer report, is a fault.
// - Every accepted call is located in the script and shown on one line of
//   printable ASCII, which read back as a script is the same call.
// - The first calls of an accepted script run twice, each time on a fresh module
//   and emulated controller, and give the same byte log both times.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "input_text.h"
#include "module_access.h"
#include "qel/pin_observer.h"
#include "run/byte_log.h"
#include "run/script_input.h"
#include "run/session.h"
#include "script/script_error.h"
#include "script/script_parser.h"

namespace {

using qel::fuzz::rule_broken;

constexpr const char* kFile = "fuzz.qel";
// Calls run per input: enough for a start-up and a few line operations, few
// enough that long scripts stay fast.
constexpr std::size_t kCallsRun = 8;

// The byte log as the program writes it: "# call", then a line per byte.
std::string byte_log_of(const std::vector<qel::script::Call>& calls) {
  qel::test::fresh_module();
  std::ostringstream out;
  qel::run::ByteLog log(out);
  qel::run::Session session(log);
  session.start({}, qel::view::RunKind::Script, kFile, 100);
  {
    qel::host::ScopedPinObserver scope(session);
    for (const qel::script::Call& call : calls) qel::run::run_call(session, call);
  }
  session.finish();
  return out.str();
}

void expect_position(std::string_view source, std::uint64_t line, std::uint64_t column, const std::string& what) {
  if (!qel::fuzz::is_position_in(source, line, column)) {
    rule_broken(what + " at " + std::to_string(line) + ":" + std::to_string(column) + ", outside the script");
  }
}

// The call's line holds printable ASCII only and reads back as the same call.
bool shown_again(const qel::script::Call& call) {
  for (const char c : call.source) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  try {
    const std::vector<qel::script::Call> again = qel::script::parse_script(call.source, kFile);
    if (again.size() != 1 || again[0].function != call.function || again[0].args.size() != call.args.size()) {
      return false;
    }
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      if (again[0].args[i].text != call.args[i].text || again[0].args[i].number != call.args[i].number) return false;
    }
    return again[0].source == call.source;
  } catch (const qel::script::ScriptError&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  std::vector<qel::script::Call> calls;
  try {
    calls = qel::script::parse_script(source, kFile);
  } catch (const qel::script::ScriptError& e) {
    const auto line = static_cast<std::uint64_t>(e.line());
    const auto column = static_cast<std::uint64_t>(e.column());
    expect_position(source, line, column, std::string("refused: ") + e.what());
    const std::string prefix = std::string(kFile) + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
    const std::string message = e.what();
    if (e.file() != kFile || message.compare(0, prefix.size(), prefix) != 0 || message.size() == prefix.size()) {
      rule_broken("refusal without 'file:line:column: message': " + message);
    }
    return 0;
  } catch (const std::exception& e) {
    rule_broken(std::string("refused with an exception that is not a script error: ") + e.what());
  }

  for (const qel::script::Call& call : calls) {
    expect_position(source, static_cast<std::uint64_t>(call.line), static_cast<std::uint64_t>(call.column),
                    "call '" + call.source + "'");
    if (call.file != kFile || call.source.empty() || call.source.find('\n') != std::string::npos) {
      rule_broken("call not shown on one line: '" + call.source + "'");
    }
    if (!shown_again(call)) rule_broken("call shown as '" + call.source + "' does not read back as the same call");
  }
  if (calls.size() > kCallsRun) calls.resize(kCallsRun);
  const std::string first = byte_log_of(calls);
  if (byte_log_of(calls) != first) rule_broken("the same calls gave two different byte logs");
  return 0;
}
