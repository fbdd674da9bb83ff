// The kit's findings: what the module's own start-up gives, a panel nothing
// reached, and the reader past the end.
#include <string>
#include <vector>

#include "kit_fixture.h"

namespace qel::kit_test {
namespace {

std::vector<std::string> ids() {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < qel_panel_finding_count(); ++i) out.emplace_back(qel_panel_finding(i).id);
  return out;
}

using KitFindings = KitTest;

// Column 0 is never written and each fill runs one byte past its page: the
// module's two warnings, and nothing else. (What they say is the findings' tests'.)
TEST_F(KitFindings, TheModuleGivesItsTwoWarnings) {
  QEL_LCD_WriteString(text("Sensor ready"), 0);
  ASSERT_EQ(ids(), (std::vector<std::string>{"page-overrun", "columns-never-written"}));
  EXPECT_STREQ(qel_panel_finding(0).severity, "warning");
  EXPECT_STREQ(qel_panel_finding(0).where, "byte 158");
  EXPECT_EQ(std::string(qel_panel_finding(1).sentence).rfind("Column 0 is never written", 0), 0u);
}

// Before the firmware starts the panel, nothing reached it: it stays dark.
TEST(KitFindingsBeforeStartUp, ThePanelStaysDark) {
  qel_panel_reset(nullptr);
  ASSERT_EQ(ids(), (std::vector<std::string>{"display-never-on", "columns-never-written"}));
  EXPECT_STREQ(qel_panel_finding(0).severity, "error");
  EXPECT_STREQ(qel_panel_finding(0).where, "end (0 bytes)");
  const qel_panel_finding_info past = qel_panel_finding(2);
  EXPECT_TRUE(past.id == nullptr && past.severity == nullptr && past.where == nullptr && past.sentence == nullptr);
}

}  // namespace
}  // namespace qel::kit_test
