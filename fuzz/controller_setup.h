// The controller configuration the module's start-up must leave, field by field,
// and a comparison that names every field that differs.
#pragma once

#include <string>

#include "registers.h"

namespace qel::fuzz {

// "" when every configuration register (everything but the write pointer and the
// page-mode column start) of `got` equals that of `want`; otherwise the fields
// that differ, as "contrast 0xCF -> 0x7F; ...".
std::string setup_difference(const sim::Registers& want, const sim::Registers& got);

// The registers as the module's start-up leaves them.
const sim::Registers& configured_registers();

}  // namespace qel::fuzz
