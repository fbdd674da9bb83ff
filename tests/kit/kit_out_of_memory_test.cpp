// The kit's C interface when memory runs out: every call returns its failure
// value and an error sentence instead of letting std::bad_alloc cross into the
// C caller. Its own program, since it replaces the global operator new.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "kit_fixture.h"
#include "replaced_new.h"

namespace qel::kit_test {
namespace {

// Runs `call` with every allocation failing.
template <typename Call>
void without_memory(Call call) {
  g_out_of_memory = true;
  call();
  g_out_of_memory = false;
}

class KitOutOfMemory : public KitTest {};

TEST_F(KitOutOfMemory, ReadingCallsAndResetFailCleanly) {
  QEL_LCD_WriteString(text("Hello"), 2);
  char buf[32] = "stale";
  size_t length = 99;
  without_memory([&] { length = qel_panel_line_text(2, buf, sizeof buf); });
  EXPECT_EQ(length, 0u);
  EXPECT_STREQ(buf, "");
  EXPECT_STRNE(qel_panel_error(), "");

  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  without_memory([&] { qel_panel_print(sink); });
  std::fclose(sink);
  EXPECT_STRNE(qel_panel_error(), "");
  EXPECT_EQ(line(2), "Hello") << "the panel is unharmed once memory is back";

  // A reset that cannot build the new panel leaves the old one connected.
  without_memory([] { qel_panel_reset(nullptr); });
  EXPECT_STRNE(qel_panel_error(), "");
  EXPECT_EQ(line(2), "Hello");
  QEL_LCD_WriteString(text("More"), 3);
  EXPECT_EQ(line(3), "More");
}

// The module's pin calls run while memory is out: nothing is thrown through
// them, and the incomplete waveform is refused rather than written short.
TEST_F(KitOutOfMemory, LostPinRecordingIsReported) {
  without_memory([] {  // far more pin writes than the recording has room for
    for (int i = 0; i < 64; ++i) QEL_LCD_WriteString(text("Lost on the way here"), 4);
  });
  const std::string vcd = scratch("oom.vcd");
  EXPECT_EQ(qel_panel_write_vcd(vcd.c_str()), -1);
  EXPECT_NE(std::string(qel_panel_error()).find("out of memory"), std::string::npos) << qel_panel_error();
  EXPECT_EQ(std::fopen(vcd.c_str(), "r"), nullptr);
  qel_panel_reset(nullptr);  // a fresh panel records again
  QEL_LCD_Init();
  EXPECT_EQ(qel_panel_write_vcd(vcd.c_str()), 0) << qel_panel_error();
  std::remove(vcd.c_str());
}

}  // namespace
}  // namespace qel::kit_test
