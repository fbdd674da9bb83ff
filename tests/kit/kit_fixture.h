// Fixture for the kit's tests: a fresh panel, the module brought up on it, and
// short helpers that read like the calls a user's test makes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "QEL_LCD.h"
#include "qel_panel.h"

namespace qel::kit_test {

inline const QEL_C* text(const char* s) { return reinterpret_cast<const QEL_C*>(s); }

inline std::string line(unsigned n) {
  char buf[64];
  qel_panel_line_text(n, buf, sizeof buf);
  return buf;
}

// A file name in the test's build folder, removed first.
inline std::string scratch(const std::string& name) {
  const std::string path = std::string(QEL_KIT_TEST_DIR) + "/" + name;
  std::remove(path.c_str());
  return path;
}

class KitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel_panel_reset(nullptr);
    QEL_LCD_Init();
  }
};

}  // namespace qel::kit_test
