// The scopes of a capture's declarations (a VCD's $scope nesting), each kept
// once beside its parent. A signal's full path ("top.dut.CLK") is spelled out
// only when a message or a map needs it, so a deep nest of scopes around many
// signals costs memory in its names, never in depth times signals.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qel::trace {

class ScopeTree {
 public:
  using Id = std::size_t;
  static constexpr Id kTop = 0;  // outside every scope

  // A scope named `name` inside `parent`.
  Id open(Id parent, std::string_view name);
  Id parent(Id scope) const { return scopes_[scope].parent; }

  // "a.b.name": the scopes from the outermost, then `name`; `name` alone at the top.
  std::string path(Id scope, std::string_view name) const;
  // Whether path(scope, name) is `wanted`, without spelling the path out: the
  // cost grows with the length of `wanted`, not with the depth of `scope`.
  bool path_is(Id scope, std::string_view name, std::string_view wanted) const;

 private:
  struct Scope {
    Id parent = kTop;
    std::size_t begin = 0, size = 0;  // the name in names_
  };
  std::string_view name_of(Id scope) const {
    return std::string_view(names_).substr(scopes_[scope].begin, scopes_[scope].size);
  }

  std::vector<Scope> scopes_ = {Scope{}};
  std::string names_;
};

}  // namespace qel::trace
