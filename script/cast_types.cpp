// Which casts a script accepts; see cast_types.h.
#include "script/cast_types.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/message_text.h"

namespace qel::script {
namespace {

struct TypeName {
  std::string_view name;
  bool character;  // may be pointed to by a text argument
};

// Type names that stand alone: the module's family, <stdint.h>, <stddef.h>.
constexpr std::array<TypeName, 33> kTypedefs = {{
    {"QEL_C", true},           {"QEL_U8", true},         {"QEL_8", true},           {"QEL_U16", false},
    {"QEL_16", false},         {"QEL_U32", false},       {"QEL_32", false},         {"QEL_U64", false},
    {"QEL_64", false},         {"QEL_LCD_LINE", false},  {"uint8_t", true},         {"int8_t", true},
    {"uint16_t", false},       {"int16_t", false},       {"uint32_t", false},       {"int32_t", false},
    {"uint64_t", false},       {"int64_t", false},       {"uint_least8_t", false},  {"int_least8_t", false},
    {"uint_least16_t", false}, {"int_least16_t", false}, {"uint_least32_t", false}, {"int_least32_t", false},
    {"uint_fast8_t", false},   {"int_fast8_t", false},   {"uint_fast16_t", false},  {"int_fast16_t", false},
    {"uint_fast32_t", false},  {"int_fast32_t", false},  {"uintmax_t", false},      {"intmax_t", false},
    {"size_t", false},
}};

constexpr std::string_view kKeywords[] = {"char", "short", "int", "long", "signed", "unsigned", "void"};

const TypeName* find_typedef(const std::string& word) {
  for (const TypeName& t : kTypedefs) {
    if (t.name == word) return &t;
  }
  return nullptr;
}

bool is_keyword(const std::string& word) {
  return std::find(std::begin(kKeywords), std::end(kKeywords), word) != std::end(kKeywords);
}

constexpr const char* kExpected =
    "; expected a type of the module (QEL_U8, QEL_U32, const QEL_C *...), of <stdint.h> or of C.";

}  // namespace

CastType classify_cast(const std::vector<std::string>& words, int pointers) {
  CastType out;
  const TypeName* named = nullptr;
  int chars = 0, shorts = 0, ints = 0, longs = 0, signs = 0, voids = 0;
  for (const std::string& w : words) {
    if (w == "const") continue;
    if (const TypeName* t = find_typedef(w)) {
      if (named != nullptr) {
        out.error = "names two types" + std::string(kExpected);
        return out;
      }
      named = t;
      continue;
    }
    if (!is_keyword(w)) {
      out.error = "names " + common::quoted_excerpt(w) + ", which is no type here" + kExpected;
      return out;
    }
    chars += w == "char";
    shorts += w == "short";
    ints += w == "int";
    longs += w == "long";
    signs += w == "signed" || w == "unsigned";
    voids += w == "void";
  }
  const int keywords = chars + shorts + ints + longs + signs + voids;
  if (named == nullptr && keywords == 0) {
    out.error = "names no type" + std::string(kExpected);
    return out;
  }
  // C's own rules for combining the keywords; a typedef name takes none of them.
  const bool valid_keywords =
      named == nullptr ? (voids == 1 && keywords == 1) ||
                             (voids == 0 && signs <= 1 && chars <= 1 && shorts <= 1 && ints <= 1 && longs <= 2 &&
                              (chars == 0 || (shorts == 0 && ints == 0 && longs == 0)) && (shorts == 0 || longs == 0))
                       : keywords == 0;
  if (!valid_keywords) {
    out.error = "combines type names that C does not" + std::string(kExpected);
    return out;
  }
  const bool character = named != nullptr ? named->character : chars == 1;
  if (pointers == 0) {
    out.integer = voids == 0;
  } else if (pointers == 1) {
    out.text_pointer = character || voids == 1;
  }
  return out;
}

}  // namespace qel::script
