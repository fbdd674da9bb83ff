#include "controller_setup.h"

#include <cstdio>
#include <functional>

namespace qel::fuzz {

namespace {

struct Field {
  const char* name;
  std::function<int(const sim::Registers&)> get;
};

// Every register the module sets up once and must never touch again.
const Field kSetupFields[] = {
    {"display on", [](const sim::Registers& r) { return int{r.display_on}; }},
    {"contrast", [](const sim::Registers& r) { return int{r.contrast}; }},
    {"inverse", [](const sim::Registers& r) { return int{r.inverse}; }},
    {"entire display on", [](const sim::Registers& r) { return int{r.entire_on}; }},
    {"multiplex", [](const sim::Registers& r) { return int{r.multiplex}; }},
    {"display offset", [](const sim::Registers& r) { return int{r.display_offset}; }},
    {"start line", [](const sim::Registers& r) { return int{r.start_line}; }},
    {"segment remap", [](const sim::Registers& r) { return int{r.segment_remap}; }},
    {"COM scan reversed", [](const sim::Registers& r) { return int{r.com_scan_reversed}; }},
    {"COM pins", [](const sim::Registers& r) { return int{r.com_pins}; }},
    {"clock divide", [](const sim::Registers& r) { return int{r.clock_div}; }},
    {"pre-charge", [](const sim::Registers& r) { return int{r.precharge}; }},
    {"VCOMH", [](const sim::Registers& r) { return int{r.vcomh}; }},
    {"charge pump", [](const sim::Registers& r) { return int{r.charge_pump}; }},
    {"addressing mode", [](const sim::Registers& r) { return static_cast<int>(r.addressing_mode); }},
    {"column range start", [](const sim::Registers& r) { return int{r.column_range_start}; }},
    {"column range end", [](const sim::Registers& r) { return int{r.column_range_end}; }},
    {"page range start", [](const sim::Registers& r) { return int{r.page_range_start}; }},
    {"page range end", [](const sim::Registers& r) { return int{r.page_range_end}; }},
    {"scrolling", [](const sim::Registers& r) { return int{r.scroll.active}; }},
    {"scroll set-up", [](const sim::Registers& r) { return int{r.scroll.setup_command}; }},
    {"vertical scroll area", [](const sim::Registers& r) { return r.scroll.fixed_rows * 256 + r.scroll.scroll_rows; }},
};

std::string hex(int v) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(v));
  return text;
}

}  // namespace

std::string setup_difference(const sim::Registers& want, const sim::Registers& got) {
  std::string out;
  for (const Field& f : kSetupFields) {
    const int a = f.get(want);
    const int b = f.get(got);
    if (a != b) out += std::string(out.empty() ? "" : "; ") + f.name + " " + hex(a) + " -> " + hex(b);
  }
  return out;
}

const sim::Registers& configured_registers() {
  // The reset values, changed by what the start-up commands ask for.
  static const sim::Registers regs = [] {
    sim::Registers r;
    r.display_on = true;
    r.contrast = 0xCF;
    r.segment_remap = true;
    r.com_scan_reversed = true;
    r.multiplex = 63;
    r.display_offset = 0;
    r.start_line = 0;
    r.clock_div = 0x80;
    r.precharge = 0xF1;
    r.com_pins = 0x12;
    r.vcomh = 0x40;
    r.addressing_mode = sim::AddressingMode::Page;
    r.charge_pump = true;
    r.inverse = false;
    r.entire_on = false;
    return r;
  }();
  return regs;
}

}  // namespace qel::fuzz
