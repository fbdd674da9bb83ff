// The wire pattern check for gtest: a broken pattern is a test failure, and byte
// streams print as "C B2", "D 01" in failure output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "startup_stream.h"
#include "wire_pattern.h"

namespace qel::emu {

inline void PrintTo(const WireByte& b, std::ostream* os) {
  char text[8];
  std::snprintf(text, sizeof text, "%c %02X", b.is_data ? 'D' : 'C', b.value);
  *os << text;
}

}  // namespace qel::emu

namespace qel::test {

class WireRecorder : public WirePattern {
 public:
  WireRecorder() : WirePattern([](const std::string& what) { ADD_FAILURE() << "Wire pattern broken: " << what; }) {}
};

inline void PrintTo(const WireEvent& e, std::ostream* os) {
  static const char* const kKinds[] = {"open", "write", "delay", "byte"};
  *os << kKinds[static_cast<int>(e.kind)] << " DIO " << int{e.pin} << " = " << int{e.level} << ", " << e.ms << " ms, ";
  emu::PrintTo(e.byte, os);
}

}  // namespace qel::test
