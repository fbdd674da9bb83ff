// Refusal of empty option values; see empty_values.h.
#include "empty_values.h"

namespace qel::tool {
namespace {

// Options that take '-' for a standard stream say so in their help text.
std::string accepts_dash(const CLI::Option& option) {
  return option.get_description().find("'-'") != std::string::npos ? " or '-'" : "";
}

}  // namespace

std::string empty_value_message(const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_type_size() == 0 || option->count() == 0) continue;  // a flag, or not given
    for (const std::string& value : option->results()) {
      if (!value.empty()) continue;
      const std::string name = option->get_name();
      const std::string& kind = option->get_option_text();
      if (kind == "CALL") return name + ": the call is empty; expected a call such as 'QEL_LCD_Init();'.";
      if (kind == "DIR") return name + ": the name is empty; expected a folder name.";
      if (kind.find("FILE") != std::string::npos) {
        return name + ": the name is empty; expected a file name" + accepts_dash(*option) + ".";
      }
      return name + ": the value is empty; expected " + kind + ".";
    }
  }
  return {};
}

}  // namespace qel::tool
