// Glass sizes: parsing, checking against the controller, and wiring.
#include "emulator/glass.h"

#include <cassert>
#include <charconv>

namespace qel::emu {
namespace {

// A decimal number of 1 to 3 digits at the start of `text`, which it leaves past it.
std::optional<int> take_number(std::string_view& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + std::min<std::size_t>(text.size(), 3), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

}  // namespace

std::uint8_t wired_com_pins(int width, int height) {
  for (const KnownGlass& known : kKnownGlasses) {
    if (known.width == width && known.height == height) return known.com_pins;
  }
  return 0x12;
}

std::optional<Glass> parse_glass(std::string_view text) {
  Glass glass;
  const auto width = take_number(text);
  if (!width || text.empty() || (text[0] != 'x' && text[0] != 'X')) return std::nullopt;
  text.remove_prefix(1);
  const auto height = take_number(text);
  if (!height) return std::nullopt;
  glass.width = *width;
  glass.height = *height;
  if (!text.empty()) {
    if (text[0] != '+') return std::nullopt;
    text.remove_prefix(1);
    glass.first_column = take_number(text);
    if (!glass.first_column) return std::nullopt;
  }
  if (!text.empty()) return std::nullopt;
  return glass;
}

std::optional<std::string> glass_misfit(const Glass& glass, const Profile& profile) {
  const std::string columns = std::to_string(profile.ram_columns);
  if (glass.height < 1 || glass.height > kMaxGlassHeight) {
    return "a glass has 1 to " + std::to_string(kMaxGlassHeight) + " rows";
  }
  if (glass.width < 1 || glass.width > profile.ram_columns) {
    return std::string("the ") + profile.name + " drives 1 to " + columns + " columns";
  }
  const int first = glass.first_column.value_or(profile.usual_first_column);
  if (first + glass.width > profile.ram_columns) {
    return "columns " + std::to_string(first) + " to " + std::to_string(first + glass.width - 1) + " run past the " +
           profile.name + "'s " + columns + " RAM columns";
  }
  return std::nullopt;
}

WiredGlass wire_glass(const Glass& glass, const Profile& profile) {
  assert(!glass_misfit(glass, profile));
  return WiredGlass{glass.width, glass.height, glass.first_column.value_or(profile.usual_first_column),
                    (wired_com_pins(glass.width, glass.height) & 0x10) != 0};
}

PanelChoice choose_panel(std::string_view controller, std::string_view glass_text, ControllerModel& model,
                         Glass& glass) {
  PanelChoice choice;
  const std::optional<ControllerModel> named = controller.empty() ? ControllerModel::Ssd1306 : model_named(controller);
  if (!named) {
    choice.controller_mistake = "is not a controller this emulator knows (ssd1306, sh1106, ssd1309, ssd1315)";
    return choice;
  }
  const std::optional<Glass> parsed = glass_text.empty() ? Glass{} : parse_glass(glass_text);
  if (!parsed) {
    choice.glass_mistake = "is not WxH or WxH+C, e.g. 128x32 or 64x48+32";
    return choice;
  }
  if (const auto misfit = glass_misfit(*parsed, profile_of(*named))) {
    choice.glass_mistake = "does not fit: " + *misfit;
    return choice;
  }
  model = *named;
  glass = *parsed;
  return choice;
}

}  // namespace qel::emu
