// The types a cast in front of an argument may name: the module's own type
// family, the <stdint.h> and C integer types, and pointers to the character
// types (or void) for text; each possibly const.
#pragma once

#include <string>
#include <vector>

namespace qel::script {

struct CastType {
  std::string error;          // why the cast names no such type ("names no type; ..."), or empty
  bool integer = false;       // an integer type, no pointer
  bool text_pointer = false;  // one pointer to a character type or void
};

// `words`: the names in the cast in order (const included); `pointers`: its '*' count.
CastType classify_cast(const std::vector<std::string>& words, int pointers);

}  // namespace qel::script
