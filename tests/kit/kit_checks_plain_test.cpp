// The C++ checks of qel_panel.hpp without GoogleTest, as another framework's
// test uses them: a check that fails hands one message, starting with the
// check's file and line, to QEL_PANEL_FAIL, and the test goes on. (What the
// message says and draws is kit_checks_test's.)
#include <cstdio>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_failures;
}  // namespace

#define QEL_PANEL_FAIL(message) g_failures.push_back(message)
#include "QEL_LCD.h"
#include "qel_panel.hpp"

namespace {

int g_wrong = 0;

void expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "FAILED: %s\n", what);
    ++g_wrong;
  }
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

int main() {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  QEL_LCD_WriteString(reinterpret_cast<const QEL_C*>("Ready"), QEL_LCD_LINE1);

  EXPECT_PANEL_LINE(1, "Ready");
  expect(g_failures.empty(), "a line as expected passes");

  const int failing_line = __LINE__ + 1;
  EXPECT_PANEL_LINE(1, "Steady");
  EXPECT_PANEL_MATCHES_GOLDEN("/nonexistent-folder/golden.png", nullptr);
  expect(g_failures.size() == 2, "each failing check is reported once, and the test goes on");
  if (g_failures.size() == 2) {
    const std::string where = std::string(__FILE__) + ":" + std::to_string(failing_line) + ": ";
    expect(g_failures[0].rfind(where, 0) == 0, "the message starts with the check's file and line");
    expect(has(g_failures[0], "panel line 1 reads \"Ready\", expected \"Steady\""), "the check's message follows");
    expect(has(g_failures[1], "does not exist"), "the kit's error sentence follows the panel");
  }
  expect(qel::panel::failures() == 0, "a framework's own QEL_PANEL_FAIL replaces the plain count");
  qel_panel_close();

  std::printf("panel checks without GoogleTest: %d wrong\n", g_wrong);
  return g_wrong == 0 ? 0 : 1;
}
