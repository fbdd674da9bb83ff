// A finding: a conclusion about a whole session, not about one byte. It names
// a known fault (a stable id, used in tests and by users' scripts), says how
// bad it is, where in the session it shows, and, in one sentence, what a
// viewer sees, the likely cause and the usual fix.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "view/run_frames.h"

namespace qel::run {

// error: the panel shows something wrong or nothing; warning: it works by
// chance, or only on some boards.
enum class Severity : std::uint8_t { Error, Warning };

// In the order the table in finding.cpp lists them.
enum class FindingId : std::uint8_t {
  DisplayNeverOn,
  ChargePumpOff,
  NotInCommandSet,
  ControllerMismatch,
  PageOverrun,
  MuxMismatch,
  ComPinsMismatch,
  ColumnOffset,
  ColumnsNeverWritten,
  ResetMissing,
  I2c8BitAddress,
  I2cNotAcknowledged,
  I2cControlByte,
  RemapAfterWrite,
  WriteDuringScroll,
  ClockTooFast,
  ContrastZero,
  EntireDisplayOn,
  Inverse,
};
inline constexpr int kFindingIds = 19;

// "page-overrun".
const char* finding_name(FindingId id);
Severity finding_severity(FindingId id);
// "error", "warning".
const char* severity_name(Severity severity);

// Where in the session a finding shows: the byte, and the capture's time or
// the script's call; or the end of the session.
struct Place {
  std::uint64_t byte_index = 0;          // bytes decoded before it (at the end: all of them)
  std::optional<std::uint64_t> time_ns;  // captures
  std::string call;                      // scripts: the call's location ("demo.qel:3:1")
  bool end = false;                      // the session's end rather than one byte
};

// "byte 12, demo.qel:3:1", "byte 12, 3.000060 ms", "end (1066 bytes)".
std::string where_text(const Place& place);

struct Finding {
  FindingId id = FindingId::DisplayNeverOn;
  Place place;
  std::string sentence;

  const char* name() const { return finding_name(id); }
  Severity severity() const { return finding_severity(id); }
};

// "id<TAB>severity<TAB>where<TAB>sentence", no newline.
std::string finding_line(const Finding& finding);

// The findings as the report shows them, each placed at its byte.
std::vector<view::ReportFinding> report_findings(const std::vector<Finding>& findings);

}  // namespace qel::run
