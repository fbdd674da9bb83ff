// The C++ checks of qel_panel.hpp under GoogleTest: silent when the panel is as
// expected; otherwise one non-fatal failure that says what was expected, what the
// panel shows, and draws the panel with the kit's error sentence under it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "kit_fixture.h"
#include "qel_panel.hpp"

namespace qel::kit_test {
namespace {

class PanelChecks : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    QEL_LCD_WriteStringValue(text("T="), 21U, 10U, QEL_LCD_LINE2);
  }
};

// The upper half block, which the terminal view draws for lit pixels of the text.
constexpr const char* kPanelDrawn = "\u2580";

TEST_F(PanelChecks, LineFailureShowsBothTextsAndThePanel) {
  EXPECT_PANEL_LINE(2, "T= 21");  // silent when the panel is as expected
  EXPECT_PANEL_LINE(5, "");
  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_LINE(2, "T= 22"), "panel line 2 reads \"T= 21\", expected \"T= 22\"");
  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_LINE(2, "T= 22"), kPanelDrawn);
  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_LINE(4, "gone"), "panel line 4 reads \"\", expected \"gone\"");
}

TEST_F(PanelChecks, GoldenFailuresNameTheGoldenAndWhatWentWrong) {
  const std::string golden = scratch("checks-before.png");
  const std::string diff = scratch("checks-diff.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0) << qel_panel_error();
  EXPECT_PANEL_MATCHES_GOLDEN(golden.c_str(), nullptr);  // silent when the panel is as expected
  QEL_LCD_WriteString(text("!"), QEL_LCD_LINE0);         // '!' lights 5 pixels (6 x 8 font)

  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_MATCHES_GOLDEN(golden.c_str(), diff.c_str()),
                          "panel differs from golden '" + golden + "' in 5 pixels (diff image '" + diff + "')");
  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_MATCHES_GOLDEN(golden.c_str(), diff.c_str()), kPanelDrawn);

  const std::string missing = scratch("checks-missing.png");
  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_MATCHES_GOLDEN(missing.c_str(), nullptr),
                          "panel not compared with golden '" + missing + "'");
  EXPECT_NONFATAL_FAILURE(EXPECT_PANEL_MATCHES_GOLDEN(missing.c_str(), nullptr),
                          "qel_panel_error(): Golden PNG file '" + missing + "' does not exist");
}

}  // namespace
}  // namespace qel::kit_test
