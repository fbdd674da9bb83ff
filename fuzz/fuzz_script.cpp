// libFuzzer entry for the call-script language: each input is a script.
// - The lexer and parser either accept it or refuse it with a ScriptError whose
//   file:line:column names a place in the script; any other exception, or a
//   sanitizer report, is a fault.
// - Every accepted call is located in the script and shown on one line.
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
  }
  if (calls.size() > kCallsRun) calls.resize(kCallsRun);
  const std::string first = byte_log_of(calls);
  if (byte_log_of(calls) != first) rule_broken("the same calls gave two different byte logs");
  return 0;
}
