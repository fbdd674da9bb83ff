// Fixture for tests of the module: a fresh module with a wire recorder attached.
#pragma once

#include <gtest/gtest.h>

#include "QEL_LCD.h"
#include "module_access.h"
#include "qel/pin_observer.h"
#include "wire_recorder.h"

namespace qel::test {

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh_module();
    host::set_pin_observer(&wire);
  }
  void TearDown() override { host::reset_pins(); }

  // Brings the module up and forgets the start-up bytes.
  void init() {
    QEL_LCD_Init();
    wire.clear();
  }

  static const QEL_C* text(const char* s) { return reinterpret_cast<const QEL_C*>(s); }

  WireRecorder wire;
};

}  // namespace qel::test
