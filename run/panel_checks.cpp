// Text and picture checks after a run; see panel_checks.h.
#include "run/panel_checks.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "common/message_text.h"
#include "common/user_error.h"
#include "view/png_compare.h"
#include "view/text_readback.h"

namespace qel::run {
namespace {

// A read-back file is 8 lines of at most 22 characters; anything far longer is
// some other file, refused before it is read whole.
constexpr std::size_t kMaxLineBytes = 256;
constexpr std::size_t kMaxLines = 64;  // the 8 lines and some blank ones after them

[[noreturn]] void not_read_back(const std::string& path, std::size_t line, const std::string& why) {
  throw common::UserError(path + ":" + std::to_string(line) + ": " + why +
                          "; expected a text read-back file of at most 8 lines.");
}

// The file's lines with trailing spaces and CRs dropped, as read-back lines are;
// missing lines are empty, and more non-empty lines than the glass has
// (`count`) are a mistake. `file_lines` is set to the number of lines the file
// really has. A UTF-8 byte order mark at its start is skipped.
std::vector<std::string> read_expected_lines(const std::string& path, int count, std::size_t& file_lines) {
  const auto panel_lines = static_cast<std::size_t>(count);
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw common::UserError("Cannot open expected text file " + common::quoted_excerpt(path) + ": " +
                            std::strerror(errno) + ".");
  constexpr char kBom[] = "\xEF\xBB\xBF";
  char start[3] = {};
  if (!in.read(start, 3) || std::string(start, 3) != kBom) {
    in.clear();
    in.seekg(0);
  }
  std::vector<std::string> lines;
  std::string text;
  bool open_line = false;
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (!open_line && lines.size() == kMaxLines) not_read_back(path, kMaxLines + 1, "too many lines");
    open_line = true;
    if (c != '\n') {
      if (text.size() == kMaxLineBytes) {
        not_read_back(path, lines.size() + 1, "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
      }
      text.push_back(static_cast<char>(c));
      continue;
    }
    text.erase(text.find_last_not_of(" \r") + 1);
    lines.push_back(text);
    text.clear();
    open_line = false;
  }
  if (in.bad())
    throw common::UserError("Cannot read expected text file " + common::quoted_excerpt(path) + ": " +
                            std::strerror(errno) + ".");
  if (open_line) {
    text.erase(text.find_last_not_of(" \r") + 1);
    lines.push_back(text);
  }
  file_lines = lines.size();
  while (lines.size() > panel_lines && lines.back().empty()) lines.pop_back();
  if (lines.size() > panel_lines) {
    throw common::UserError(path + ":" + std::to_string(count + 1) + ": expected at most " + std::to_string(count) +
                            " lines of panel text, got " + common::quoted_excerpt(lines[panel_lines]) + ".");
  }
  lines.resize(panel_lines);
  return lines;
}

int compare_text(const std::string& path, const emu::Controller& controller, std::ostream& err) {
  const int count = view::text_lines(controller);
  std::size_t file_lines = 0;
  const std::vector<std::string> expected = read_expected_lines(path, count, file_lines);
  int differing = 0;
  for (unsigned n = 0; n < static_cast<unsigned>(count); ++n) {
    const std::string actual = view::line_text(controller, n);
    if (actual == expected[n]) continue;
    ++differing;
    if (n < file_lines) {
      err << path << ":" << n + 1 << ": line " << n << " differs: expected " << common::quoted_excerpt(expected[n]);
    } else {  // past the file's end: no line of the file to cite
      err << path << ": line " << n << " differs: expected an empty line (the file has " << file_lines << " line"
          << (file_lines == 1 ? "" : "s") << ")";
    }
    err << ", got " << common::quoted_excerpt(actual) << ".\n";
  }
  return differing;
}

long compare_png(const PanelChecks& checks, const emu::Picture& shown, common::OutputFiles& files, std::ostream& err) {
  const view::PanelPng golden = view::read_panel_png(checks.expect_png_path, shown.width, shown.height);
  const view::LitMap now = view::lit_map(shown);
  const long differing = view::count_differences(golden.lit, now);
  if (differing == 0) return 0;
  err << "Picture differs from '" << checks.expect_png_path << "' in " << differing << " pixel"
      << (differing == 1 ? "" : "s");
  if (const auto box = view::difference_box(golden.lit, now, shown.width)) err << " (" << view::box_text(*box) << ")";
  err << ".\n";
  if (!checks.diff_png_path.empty()) {
    const view::RgbImage image = view::diff_image(golden, now);
    const std::vector<std::uint8_t> diff = view::encode_rgb_png(image.rgb, image.width, image.height);
    files.open(checks.diff_png_path, "diff image")
        ->write(reinterpret_cast<const char*>(diff.data()), static_cast<std::streamsize>(diff.size()));
    err << "Diff image written to '" << checks.diff_png_path
        << "' (the golden, the panel now and the difference side by side; red: lit only in the golden, green: lit "
           "only now).\n";
  }
  return differing;
}

}  // namespace

int run_panel_checks(const PanelChecks& checks, const emu::Controller& controller, const emu::Picture& shown,
                     common::OutputFiles& files, std::ostream& err) {
  if (std::ostream* text = files.open(checks.text_path, "text file")) *text << view::screen_text(controller);
  bool differ = false;
  if (!checks.expect_text_path.empty()) differ = compare_text(checks.expect_text_path, controller, err) != 0;
  if (!checks.expect_png_path.empty()) differ = compare_png(checks, shown, files, err) != 0 || differ;
  return differ ? 1 : 0;
}

}  // namespace qel::run
