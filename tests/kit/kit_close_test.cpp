// qel_panel_close as a leak checker sees it: after a test's usual calls and a
// close, no block the kit allocated is still live. Its own program, since it
// replaces the global operator new to count live blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "kit_fixture.h"
#include "replaced_new.h"

namespace qel::kit_test {
namespace {

void write_screen() {
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("A status line"), QEL_LCD_LINE0);
  QEL_LCD_WriteStringValue(text("T="), 21U, 10U, QEL_LCD_LINE2);
  QEL_LCD_WriteValue(0xBEEFU, 16U, QEL_LCD_LINE3);
}

void print_panel() {
  std::FILE* sink = std::tmpfile();
  if (sink != nullptr) qel_panel_print(sink);
  if (sink != nullptr) std::fclose(sink);
}

// What a test does between its first reset and its teardown, after writing a screen.
// clang-format off
const struct { const char* name; std::function<void()> body; } kScenarios[] = {
    {"one screen written and read", [] { (void)line(0); (void)qel_panel_note_count(); }},
    {"two panels: the recording buffer is handed on", [] { qel_panel_reset(nullptr); write_screen(); }},
    {"a failed call left an error sentence", [] {
       (void)qel_panel_write_png("/nonexistent-folder/with-a-long-name/panel.png");
       (void)qel_panel_compare_png("/nonexistent-folder/golden.png", nullptr); }},
    {"a call the module leaves undone (a line past the panel), and the panel printed", [] {
       QEL_LCD_WriteString(text("x"), 9);
       print_panel(); }},
};
// clang-format on

// The first scenario is the program's first use of the kit, as in a user's first
// test: nothing the kit makes on first use may stay behind either.
TEST(KitClose, LeavesNoBlockOfTheKitLive) {
  for (const auto& scenario : kScenarios) {
    const long before = g_live_blocks;
    qel_panel_reset(nullptr);
    write_screen();
    scenario.body();
    qel_panel_close();
    const long after = g_live_blocks;
    EXPECT_EQ(after, before) << scenario.name;
  }
}

TEST(KitClose, ReadersThenSeeADarkEmptyPanelWithoutAllocating) {
  qel_panel_reset(nullptr);
  write_screen();
  qel_panel_close();
  const long before = g_live_blocks;
  char buf[8] = "stale";
  const size_t length = qel_panel_line_text(0, buf, sizeof buf);
  const bool dark = qel_panel_bytes(nullptr) == 0 && qel_panel_note_count() == 0 && qel_panel_pixel(10, 2) == 0;
  EXPECT_EQ(g_live_blocks, before);
  EXPECT_TRUE(dark) << "no bytes, no notes, no lit pixel";
  EXPECT_EQ(length, 0u);
  EXPECT_STREQ(buf, "");
  EXPECT_STREQ(qel_panel_error(), "");
}

}  // namespace
}  // namespace qel::kit_test
