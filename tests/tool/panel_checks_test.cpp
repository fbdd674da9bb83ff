// qel-lcd-sim's panel checks run as a user runs them: text lines written and
// compared, a golden picture compared, with exit status 1 for a difference and 2
// for a file that cannot be used.
#include <string>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

class PanelChecks : public ProgramRun {
 protected:
  void SetUp() override {
    ProgramRun::SetUp();
    // The golden text and picture of one screen, made by the program itself.
    ASSERT_EQ(check("-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Menu\", 0);' -e 'QEL_LCD_WriteValue(42, 10, 7);' "
                    "--text golden.txt --png golden.png --scale 2 --color blue"),
              0)
        << err_;
  }

  // Runs the program without the terminal view; standard output and error kept.
  int check(const std::string& args) {
    const Result r = run("--no-term " + args);
    out_ = r.out;
    err_ = r.err;
    return r.status;
  }

  std::string out_, err_;
};

TEST_F(PanelChecks, OutcomeOfEachCheck) {
  const std::string same =
      "-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Menu\", 0);' -e 'QEL_LCD_WriteValue(42, 10, 7);'";
  const std::string other =
      "-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Menu\", 0);' -e 'QEL_LCD_WriteValue(43, 10, 7);'";
  // clang-format off
  const struct {
    const char* name;
    std::string args;
    int status;
    const char* in_err;
  } cases[] = {
      {"same text", same + " --expect-text golden.txt", 0, ""},
      {"same picture", same + " --expect-png golden.png", 0, ""},
      {"other text", other + " --expect-text golden.txt", 1, "golden.txt:8: line 7 differs: expected '42', got '43'."},
      {"other picture", other + " --expect-png golden.png --diff-png diff.png", 1, "golden.png' in "},
      {"missing golden text", same + " --expect-text none.txt", 2, "Cannot open expected text file 'none.txt'"},
      {"golden text too long", same + " --expect-text nine.txt", 2, "nine.txt:9: expected at most 8 lines"},
      {"golden picture not a PNG", same + " --expect-png golden.txt", 2, "Cannot read PNG file 'golden.txt'"},
      {"diff without golden", same + " --diff-png diff.png", 2, "--expect-png"},
      {"golden text is a folder", same + " --expect-text sub", 2, "expected text file 'sub': it is a folder"},
      {"golden picture is a folder", same + " --expect-png sub", 2, "Cannot read golden PNG 'sub': it is a folder"},
      {"golden text without end", same + " --expect-text /dev/zero", 2, "/dev/zero:1: line longer than 256 bytes"},
      {"golden text of long lines", same + " --expect-text long.txt", 2, "long.txt:2: line longer than 256 bytes"},
      // A short file's missing lines are empty: a difference there cites no line of the file.
      {"short golden text", other + " --expect-text short.txt", 1, "short.txt: line 7 differs: expected an empty line"},
      {"golden text with a byte order mark", same + " --expect-text bom.txt", 0, ""},
  };
  // clang-format on
  file("short.txt", "Menu\n");
  file("bom.txt", "\xEF\xBB\xBFMenu\n\n\n\n\n\n\n42\n");
  file("nine.txt", "1\n2\n3\n4\n5\n6\n7\n8\n9\n");
  file("long.txt", "Menu\n" + std::string(300, 'x') + "\n");
  fs::create_directory(dir_ / "sub");
  for (const auto& c : cases) {
    fs::remove(dir_ / "diff.png");
    EXPECT_EQ(check(c.args), c.status) << c.name << ": " << err_;
    EXPECT_NE(err_.find(c.in_err), std::string::npos) << c.name << ": " << err_;
    EXPECT_EQ(fs::exists(dir_ / "diff.png"), c.args.find("--diff-png") != std::string::npos && c.status == 1)
        << c.name << ": a diff image only for a picture that differs";
  }
}

TEST_F(PanelChecks, TextToStandardOutput) {
  EXPECT_EQ(check("-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Hi\", 1);' --text -"), 0);
  EXPECT_EQ(out_, "\nHi\n\n\n\n\n\n\n");
  EXPECT_EQ(check("-e 'QEL_LCD_Init();' --text - --bytes -"), 2);
}

TEST_F(PanelChecks, VersionIsTheProjectVersion) {
  EXPECT_EQ(check("--version"), 0);
  EXPECT_EQ(out_, "qel-lcd-sim 1.1.0\n");
}

}  // namespace
}  // namespace qel::tool::test
