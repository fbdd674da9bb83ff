// Scope paths kept once per scope; see scope_tree.h.
#include "trace/scope_tree.h"

#include <algorithm>

namespace qel::trace {

ScopeTree::Id ScopeTree::open(Id parent, std::string_view name) {
  scopes_.push_back(Scope{parent, names_.size(), name.size()});
  names_.append(name);
  return scopes_.size() - 1;
}

std::string ScopeTree::path(Id scope, std::string_view name) const {
  std::size_t length = name.size();
  for (Id s = scope; s != kTop; s = parent(s)) length += scopes_[s].size + 1;
  std::string out(length, '.');
  std::size_t end = length - name.size();
  std::copy(name.begin(), name.end(), out.begin() + static_cast<std::ptrdiff_t>(end));
  for (Id s = scope; s != kTop; s = parent(s)) {
    const std::string_view part = name_of(s);
    end -= part.size() + 1;
    std::copy(part.begin(), part.end(), out.begin() + static_cast<std::ptrdiff_t>(end));
  }
  return out;
}

bool ScopeTree::path_is(Id scope, std::string_view name, std::string_view wanted) const {
  // From the end: the name, then each scope and its '.', outwards.
  const auto take = [&wanted](std::string_view part) {
    if (wanted.size() < part.size() || wanted.substr(wanted.size() - part.size()) != part) return false;
    wanted.remove_suffix(part.size());
    return true;
  };
  if (!take(name)) return false;
  for (Id s = scope; s != kTop; s = parent(s)) {
    if (!take(".") || !take(name_of(s))) return false;
  }
  return wanted.empty();
}

}  // namespace qel::trace
