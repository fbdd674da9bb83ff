/*
 * qel_panel.hpp: optional, header-only C++ checks over qel_panel.h (C++11 or later).
 *
 *   EXPECT_PANEL_LINE(line, text)              text line `line` reads `text`
 *   EXPECT_PANEL_MATCHES_GOLDEN(golden, diff)  the panel equals the golden PNG
 *                                              (diff image written to `diff` when not, NULL: none)
 *
 * On a failure the message says what was expected and what the panel shows, then
 * the panel itself (as qel_panel_print draws it) and qel_panel_error() when it is
 * not empty.
 *
 * With GoogleTest (gtest/gtest.h included before this header), both are
 * non-fatal GoogleTest assertions: the failure carries the file and line, and
 * more can be streamed in, EXPECT_PANEL_LINE(2, "T= 21") << "after the update".
 *
 * Without GoogleTest, each check is a statement that, on a failure, hands the
 * message (a C string starting "file:line: ") to QEL_PANEL_FAIL(message). By
 * default that prints it to stderr and counts it in qel::panel::failures(), and
 * the test goes on; a plain test ends with
 *   return qel::panel::failures() == 0 ? 0 : 1;
 * Another framework defines QEL_PANEL_FAIL before including this header to fail
 * through its own call, e.g. for CppUTest (include this header before CppUTest's,
 * as any standard header, because of its leak detector's `new` macro):
 *   #define QEL_PANEL_FAIL(message) FAIL(message)
 * Define QEL_PANEL_USE_GTEST to 0 or 1 to choose instead of the detection.
 */
#ifndef QEL_PANEL_HPP
#define QEL_PANEL_HPP

#include <cstdio>
#include <string>

#include "qel_panel.h"

#ifndef QEL_PANEL_USE_GTEST
#ifdef GTEST_TEST
#define QEL_PANEL_USE_GTEST 1
#else
#define QEL_PANEL_USE_GTEST 0
#endif
#endif

namespace qel {
namespace panel {

// Text line `line` as qel_panel_line_text reads it, whatever its length.
inline std::string line_text(unsigned line) {
  std::string text(qel_panel_line_text(line, nullptr, 0), '\0');
  if (!text.empty()) qel_panel_line_text(line, &text[0], text.size() + 1);
  return text;
}

// The panel as qel_panel_print draws it, then qel_panel_error() when there is one.
inline std::string panel_picture() {
  std::string out;
  if (std::FILE* f = std::tmpfile()) {
    qel_panel_print(f);
    std::rewind(f);
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, n);
    std::fclose(f);
  } else {
    qel_panel_print(stderr);  // no temporary file to capture it: at least show it
  }
  const std::string error = qel_panel_error();
  if (!error.empty()) out += "qel_panel_error(): " + error + "\n";
  return out;
}

// Empty when line `line` reads `want`; otherwise the failure message.
inline std::string line_mismatch(unsigned line, const char* want) {
  const std::string got = line_text(line);
  const std::string expected = want != nullptr ? want : "";
  if (got == expected) return std::string();
  return "panel line " + std::to_string(line) + " reads \"" + got + "\", expected \"" + expected + "\"\n" +
         panel_picture();
}

// Empty when the panel matches the golden PNG; otherwise the failure message.
inline std::string golden_mismatch(const char* golden, const char* diff) {
  const long differing = qel_panel_compare_png(golden, diff);
  if (differing == 0) return std::string();
  const std::string name = golden != nullptr ? golden : "(NULL)";
  std::string message;
  if (differing < 0) {
    message = "panel not compared with golden '" + name + "'\n";
  } else {
    message = "panel differs from golden '" + name + "' in " + std::to_string(differing) + " pixels";
    message += diff != nullptr ? std::string(" (diff image '") + diff + "')\n" : std::string("\n");
  }
  return message + panel_picture();
}

// Failures reported by the plain checks (not counted under GoogleTest).
inline long& failures() {
  static long count = 0;
  return count;
}

inline void report_plain(const char* message) {
  ++failures();
  std::fputs(message, stderr);
  std::fflush(stderr);
}

}  // namespace panel
}  // namespace qel

#if QEL_PANEL_USE_GTEST

namespace qel {
namespace panel {
inline ::testing::AssertionResult panel_line_is(const char*, const char*, unsigned line, const char* want) {
  const std::string message = line_mismatch(line, want);
  if (message.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << message;
}
inline ::testing::AssertionResult panel_matches_golden(const char*, const char*, const char* golden, const char* diff) {
  const std::string message = golden_mismatch(golden, diff);
  if (message.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << message;
}
}  // namespace panel
}  // namespace qel

#define EXPECT_PANEL_LINE(line, text) EXPECT_PRED_FORMAT2(::qel::panel::panel_line_is, line, text)
#define EXPECT_PANEL_MATCHES_GOLDEN(golden, diff) EXPECT_PRED_FORMAT2(::qel::panel::panel_matches_golden, golden, diff)

#else

#ifndef QEL_PANEL_FAIL
#define QEL_PANEL_FAIL(message) ::qel::panel::report_plain(message)
#endif

#define QEL_PANEL_CHECK_(mismatch)                                                                        \
  do {                                                                                                    \
    const std::string qel_panel_message_ = (mismatch);                                                    \
    if (!qel_panel_message_.empty()) {                                                                    \
      const std::string qel_panel_where_ = std::string(__FILE__) + ":" + std::to_string(__LINE__) + ": "; \
      QEL_PANEL_FAIL((qel_panel_where_ + qel_panel_message_).c_str());                                    \
    }                                                                                                     \
  } while (0)

#define EXPECT_PANEL_LINE(line, text) QEL_PANEL_CHECK_(::qel::panel::line_mismatch((line), (text)))
#define EXPECT_PANEL_MATCHES_GOLDEN(golden, diff) QEL_PANEL_CHECK_(::qel::panel::golden_mismatch((golden), (diff)))

#endif

#endif /* QEL_PANEL_HPP */
