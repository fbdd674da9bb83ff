// The kit's findings calls: the current panel's findings as C strings. Nothing
// is thrown through them; should concluding run out of memory, the count is 0
// and qel_panel_finding gives NULLs.
#include <new>

#include "kit/panel_session.h"
#include "kit/qel_panel.h"

namespace {

const std::vector<qel::kit::PanelSession::FindingText>* findings() noexcept {
  try {
    return &qel::kit::current_panel().findings();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

extern "C" {

size_t qel_panel_finding_count(void) {
  const auto* all = findings();
  return all == nullptr ? 0 : all->size();
}

qel_panel_finding_info qel_panel_finding(size_t index) {
  const auto* all = findings();
  if (all == nullptr || index >= all->size()) return qel_panel_finding_info{nullptr, nullptr, nullptr, nullptr};
  const qel::kit::PanelSession::FindingText& f = (*all)[index];
  return qel_panel_finding_info{f.finding.name(), qel::run::severity_name(f.finding.severity()), f.where.c_str(),
                                f.finding.sentence.c_str()};
}

}  // extern "C"
