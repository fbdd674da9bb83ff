// Findings about the controller the firmware was written for; see
// findings_controller.h.
#include "run/findings_controller.h"

#include "common/text_format.h"

namespace qel::run {
namespace {

using common::hex_byte;

// Commands of the SSD1306 that the SH1106 lacks: addressing mode and ranges,
// scrolling, the vertical scroll area and the charge pump.
bool ssd1306_only(std::uint8_t opcode) {
  return (opcode >= 0x20 && opcode <= 0x22) || (opcode >= 0x26 && opcode <= 0x2F) || opcode == 0xA3 || opcode == 0x8D;
}

std::string count_of(std::uint64_t n, const char* singular, const char* plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

}  // namespace

void ControllerChecks::on_command(const emu::Controller& controller, std::uint8_t value, std::uint64_t index) {
  const std::uint64_t outside = controller.outside_set().count;
  if (outside == outside_) return;
  outside_ = outside;
  if (!first_outside_) first_outside_ = where_.at(index);
  if (!first_ssd1306_only_ && controller.profile().model == emu::ControllerModel::Sh1106 && ssd1306_only(value)) {
    first_ssd1306_only_ = where_.at(index);
  }
}

void ControllerChecks::conclude(const emu::Controller& controller, const GlassShape& glass,
                                const WriteChecks::RunFacts& runs, std::uint64_t bytes,
                                std::vector<Finding>& out) const {
  const emu::Profile& profile = controller.profile();
  const std::string name = profile.name;

  if (first_ssd1306_only_ && runs.left_of_glass > 0) {
    out.push_back(Finding{FindingId::ControllerMismatch, *first_ssd1306_only_,
                          "The firmware was likely written for an SSD1306: it sends commands the " + name +
                              " does not have (addressing mode, scrolling or charge pump) and starts " +
                              count_of(runs.left_of_glass, "run", "runs") +
                              " of display data left of the glass, which starts at RAM column " +
                              std::to_string(glass.first_column) + ", so the picture sits " +
                              std::to_string(glass.first_column) +
                              " columns off with power-on RAM at one edge; use the firmware's " + name +
                              " setting (page addressing, columns from " + std::to_string(glass.first_column) +
                              "), or emulate an SSD1306 if the board has one."});
  } else if (profile.ram_columns == emu::kColumns && runs.wide >= 2) {
    out.push_back(
        Finding{FindingId::ControllerMismatch, *runs.first_wide,
                "Pages were written 130 to 132 bytes long (" + count_of(runs.wide, "run", "runs") + ") to the " + name +
                    ", which has 128 RAM columns: the firmware was likely written for an SH1106 (132 columns), so each "
                    "page's extra bytes land on its start or on the next page; use the firmware's setting for the " +
                    name + ", or emulate an SH1106 if the board has one."});
  }

  const emu::OutsideSet& outside = controller.outside_set();
  if (outside.count > 0) {
    Place where = first_outside_.value_or(where_.end(bytes));
    where.byte_index = outside.first_byte_index;
    out.push_back(Finding{FindingId::NotInCommandSet, where,
                          count_of(outside.count, "command byte is", "command bytes are") + " not in the " + name +
                              "'s command set (the first: " + hex_byte(outside.first_opcode) +
                              "): the controller ignores each and takes the bytes after it as commands of their own; "
                              "send only the " +
                              name + "'s commands, or emulate the controller the firmware was written for."});
  }
}

}  // namespace qel::run
