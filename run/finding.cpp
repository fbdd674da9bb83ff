// The table of finding ids and how a finding is written; see finding.h.
#include "run/finding.h"

#include <iterator>

#include "common/text_format.h"

namespace qel::run {
namespace {

struct Kind {
  FindingId id;
  const char* name;
  Severity severity;
};

constexpr Severity kError = Severity::Error;
constexpr Severity kWarning = Severity::Warning;

// clang-format off
constexpr Kind kKinds[] = {
    {FindingId::DisplayNeverOn,      "display-never-on",      kError},
    {FindingId::ChargePumpOff,       "charge-pump-off",       kError},
    {FindingId::NotInCommandSet,     "not-in-command-set",    kWarning},
    {FindingId::ControllerMismatch,  "controller-mismatch",   kError},
    {FindingId::PageOverrun,         "page-overrun",          kWarning},
    {FindingId::MuxMismatch,         "mux-mismatch",          kError},
    {FindingId::ComPinsMismatch,     "com-pins-mismatch",     kError},
    {FindingId::ColumnOffset,        "column-offset",         kError},
    {FindingId::ColumnsNeverWritten, "columns-never-written", kWarning},
    {FindingId::ResetMissing,        "reset-missing",         kWarning},
    {FindingId::I2c8BitAddress,      "i2c-8bit-address",      kError},
    {FindingId::I2cNotAcknowledged,  "i2c-not-acknowledged",  kError},
    {FindingId::I2cControlByte,      "i2c-control-byte",      kError},
    {FindingId::RemapAfterWrite,     "remap-after-write",     kWarning},
    {FindingId::WriteDuringScroll,   "write-during-scroll",   kWarning},
    {FindingId::ClockTooFast,        "clock-too-fast",        kWarning},
    {FindingId::ContrastZero,        "contrast-zero",         kWarning},
    {FindingId::EntireDisplayOn,     "entire-display-on",     kWarning},
    {FindingId::Inverse,             "inverse",               kWarning},
};
// clang-format on
static_assert(std::size(kKinds) == kFindingIds);

constexpr bool in_order() {
  for (std::size_t i = 0; i < std::size(kKinds); ++i) {
    if (static_cast<std::size_t>(kKinds[i].id) != i) return false;
  }
  return true;
}
static_assert(in_order(), "the table lists the ids in their enum's order");

const Kind& kind(FindingId id) { return kKinds[static_cast<std::size_t>(id)]; }

}  // namespace

const char* finding_name(FindingId id) { return kind(id).name; }

Severity finding_severity(FindingId id) { return kind(id).severity; }

const char* severity_name(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

std::string where_text(const Place& place) {
  std::string text = place.end
                         ? "end (" + std::to_string(place.byte_index) + (place.byte_index == 1 ? " byte)" : " bytes)")
                         : "byte " + std::to_string(place.byte_index);
  if (!place.call.empty()) {
    text += ", " + place.call;
  } else if (place.time_ns) {
    text += ", " + common::time_text(*place.time_ns, common::TimeStyle::Milliseconds);
  }
  return text;
}

std::string finding_line(const Finding& finding) {
  std::string where = where_text(finding.place);
  for (char& c : where) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';  // a script's name keeps the line's four fields apart
  }
  return std::string(finding.name()) + '\t' + severity_name(finding.severity()) + '\t' + where + '\t' +
         finding.sentence;
}

std::vector<view::ReportFinding> report_findings(const std::vector<Finding>& findings) {
  std::vector<view::ReportFinding> out;
  out.reserve(findings.size());
  for (const Finding& f : findings) {
    out.push_back(view::ReportFinding{f.name(), severity_name(f.severity()), where_text(f.place), f.sentence,
                                      f.place.byte_index, f.place.end});
  }
  return out;
}

}  // namespace qel::run
