// Refusal of empty option values. An empty file name would otherwise read as
// "option not given" and silently turn a check or an output off, so every
// option that takes a value is examined, including ones added later.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace qel::tool {

// The message for the first option given with an empty value, or empty when
// every value given has text.
std::string empty_value_message(const CLI::App& app);

}  // namespace qel::tool
