// The options table of qel-lcd-sim; see cli_options.h.
#include "cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "common/closest_name.h"
#include "common/message_text.h"
#include "demo_script.h"
#include "empty_values.h"

namespace qel::tool {
namespace {

constexpr const char* kExamples = R"help(Examples:
  qel-lcd-sim                                   run the built-in demo, write panel.png, show the panel
  qel-lcd-sim --script examples/values.qel --png values.png --scale 6 --color yellow-blue
  qel-lcd-sim -e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString("Hi", 2);' --bytes -
  qel-lcd-sim --script fw.qel --vcd fw.vcd --stats --pin-write-ns 62
  qel-lcd-sim --decode capture.vcd --map sclk=D0,sdin=D1,dc=D2,res_n=D3 --png capture.png
  qel-lcd-sim --decode board.vcd --bus i2c --map scl=SCL,sda=SDA --bytes -
  qel-lcd-sim --decode pulseview.sr --stats --bytes bytes.txt     channels named CLK, MOSI, DC...
  qel-lcd-sim --script examples/build-up.qel --report run.html --gif run.gif --commands -

Scripts hold the module's own calls in C syntax, one or more per line, e.g.
  QEL_LCD_WriteStringValue((const QEL_C *)"T=", 25U, 10, QEL_LCD_LINE2);
Findings (known faults: a display never turned on, a missing reset, pages
overrun...) are printed on standard error after the notes.
Exit status: 0 done, 1 with --strict when the controller made a note or there
is an error finding, or when --expect-text / --expect-png found a difference,
2 for a bad script, option or file.
)help";

// "Did you mean --png?" for each argument that looks like an option the program
// does not have but is close to one it has (at most a third of its letters off).
std::string option_suggestions(const CLI::App& app, int argc, char** argv) {
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) continue;
    const std::string name = arg.substr(2, arg.find('=') == std::string::npos ? std::string::npos : arg.find('=') - 2);
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options()) {
      for (const std::string& long_name : option->get_lnames()) names.push_back(long_name);
    }
    if (const auto best = common::closest_name(name, names)) {
      out += "Did you mean --" + *best + " for " + common::quoted_excerpt(arg) + "?\n";
    }
  }
  return out;
}

}  // namespace

CommandLine parse_command_line(int argc, char** argv) {
  CommandLine cl;
  run::Request& o = cl.run;
  CLI::App app{"qel-lcd-sim: runs QEL_LCD calls against an emulated SSD1306-type panel and shows the result."};
  app.footer(kExamples);
  app.get_formatter()->column_width(30);

  auto* script = app.add_option("--script", o.script_path, "Script of module calls to run ('-': standard input)")
                     ->option_text("FILE");
  auto* calls =
      app.add_option("-e", o.calls, "A call to run, e.g. 'QEL_LCD_ClearLine(3);' (repeatable)")->option_text("CALL");
  app.add_option("--png", o.png_path, "Write the final picture as PNG (demo default: panel.png; '-': stdout)")
      ->option_text("FILE");
  app.add_option("--scale", o.png.scale, "PNG pixels per panel pixel")
      ->check(CLI::Range(1, view::kMaxPngScale))
      ->option_text("N (1-32, default 4)")
      ->default_val(4);
  std::string color = "white";
  app.add_option("--color", color, "Panel colour")
      ->check(CLI::IsMember({"white", "blue", "yellow-blue"}))
      ->option_text("white|blue|yellow-blue");

  bool term = false, ascii = false, no_term = false;
  auto* term_opt = app.add_flag("--term", term, "Show the panel in the terminal with Unicode blocks (default)");
  auto* ascii_opt = app.add_flag("--ascii", ascii, "Show the panel in the terminal in plain ASCII");
  auto* no_term_opt = app.add_flag("--no-term", no_term, "Do not show the panel in the terminal");
  term_opt->excludes(ascii_opt)->excludes(no_term_opt);
  ascii_opt->excludes(no_term_opt);

  app.add_option("--vcd", o.vcd_path,
                 "Write the pin waveform as a VCD file (decode: the mapped lines; '-': standard output)")
      ->option_text("FILE");
  auto* sr = app.add_option("--sr", o.sr_path, "Write the pin waveform as a sigrok session (PulseView, sigrok-cli)")
                 ->option_text("FILE");
  app.add_option("--bytes", o.bytes_path, "Write the byte log: '# call' lines, then 'C AE' / 'D 00' ('-': stdout)")
      ->option_text("FILE");
  app.add_flag("--stats", o.stats,
               "Print bytes, pin writes, delay and wire time per call and in total (decoding: the capture's span, "
               "bytes, clock rate and longest gap)");
  auto* frames = app.add_option("--frames", o.frames_dir, "Write frame_NNNN.png into this folder after every call")
                     ->option_text("DIR");
  app.add_option("--commands", o.commands_path,
                 "Write the command listing: one line per command, data runs condensed ('-': stdout)")
      ->option_text("FILE");
  app.add_option("--report", o.report_path, "Write a self-contained HTML report of the run, frame by frame")
      ->option_text("FILE.html");
  app.add_option("--gif", o.gif_path, "Write an animated GIF of the frames (scaled as --scale)")->option_text("FILE");
  auto* decode = app.add_option("--decode", o.decode_path,
                                "Decode a capture (VCD, sigrok .sr, Saleae CSV) instead of running calls")
                     ->option_text("FILE");
  app.add_option("--map", o.signal_map,
                 "Signal names in the capture, e.g. sclk=D0,sdin=D1,dc=D2,res_n=D3,cs=D4 (I2C: scl=D0,sda=D1); "
                 "default: found from the names. Names match as the file spells them; quote a name with blanks at "
                 "its ends, a comma or control bytes with the escapes messages use: dc='Probe 6, spare', "
                 "cs='\\x1B[2J'")
      ->option_text("ROLE=NAME,...")
      ->needs(decode);
  decode->excludes(script)->excludes(calls)->excludes(frames)->excludes(sr);
  app.add_flag("--live", o.live,
               "Redraw the panel in the terminal as the capture arrives, e.g. piped from a running analyzer "
               "(--decode -); Ctrl-C ends the capture and the outputs are written")
      ->needs(decode)
      ->excludes(no_term_opt);
  std::string bus;
  app.add_option("--bus", bus, "The capture's bus: 4-wire or 3-wire serial, or I2C (roles scl, sda)")
      ->check(CLI::IsMember({"spi4", "spi3", "i2c"}))
      ->option_text("spi4|spi3|i2c");

  std::string model = "ssd1306";
  app.add_option("--controller", model, "The panel's controller: its command set, RAM width and power circuit")
      ->check(CLI::IsMember({"ssd1306", "sh1106", "ssd1309", "ssd1315"}))
      ->option_text("ssd1306|sh1106|ssd1309|ssd1315");
  std::string panel;
  app.add_option("--panel", panel,
                 "The glass: its width and height, and the RAM column at its left edge (default 128x64, column 2 on "
                 "the SH1106, else 0); e.g. 128x32, 64x48+32")
      ->option_text("WxH[+C]");
  std::string ram = "zero";
  app.add_option("--power-on-ram", ram, "Display RAM at power-on, before the first write")
      ->check(CLI::IsMember({"zero", "noise"}))
      ->option_text("zero|noise");
  std::string wrap = "start";
  app.add_option("--column-wrap", wrap, "Page-mode wrap after column 127: to the column start address, or to 0")
      ->check(CLI::IsMember({"start", "zero"}))
      ->option_text("start|zero");
  int rotate = 0;
  app.add_option("--rotate", rotate, "Panel mounted the other way up")
      ->check(CLI::IsMember({0, 180}))
      ->option_text("0|180");
  app.add_option("--pin-write-ns", o.pin_write_ns, "Nominal time of one pin write, for --stats and --vcd")
      ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1000000000}))
      ->option_text("N (default 100)")
      ->default_val(100);
  app.add_option("--findings", o.findings_path,
                 "Write the findings (known faults seen in the run), one line each: "
                 "id<TAB>severity<TAB>where<TAB>sentence ('-': stdout)")
      ->option_text("FILE");
  app.add_flag("--strict", o.strict, "Exit with status 1 if the controller made any note or there is an error finding");
  // The panel checks, for script-based goldens.
  app.add_option("--text", o.checks.text_path, "Write the 8 text lines read back from the panel ('-': stdout)")
      ->option_text("FILE|-");
  app.add_option("--expect-text", o.checks.expect_text_path,
                 "Exit with status 1 if the read-back lines differ from the file's 8 lines")
      ->option_text("FILE");
  auto* expect_png = app.add_option("--expect-png", o.checks.expect_png_path,
                                    "Exit with status 1 if the picture differs from this golden PNG")
                         ->option_text("FILE");
  app.add_option("--diff-png", o.checks.diff_png_path, "With --expect-png: on a difference, write the diff image")
      ->option_text("FILE")
      ->needs(expect_png);
  app.set_version_flag("--version", std::string("qel-lcd-sim ") + QEL_LCD_VERSION);

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --version
    cl.exit_now = app.exit(e);
    return cl;
  } catch (const CLI::ParseError& e) {
    std::cerr << e.what() << "\n"
              << option_suggestions(app, argc, argv) << "Run with --help for the list of options.\n";
    cl.exit_now = 2;
    return cl;
  }

  if (const std::string empty = empty_value_message(app); !empty.empty()) {
    std::cerr << empty << "\n";
    cl.exit_now = 2;
    return cl;
  }

  if (!bus.empty()) {
    if (bus != "spi4" && o.decode_path.empty()) {
      std::cerr << "Option --bus '" << bus << "' needs --decode: scripts always drive the 4-wire serial interface.\n";
      cl.exit_now = 2;
      return cl;
    }
    o.bus = bus == "i2c" ? emu::Bus::I2c : bus == "spi3" ? emu::Bus::Spi3 : emu::Bus::Spi4;
  }
  o.rotate180 = rotate == 180;
  o.png.color = color == "blue"          ? view::PanelColor::Blue
                : color == "yellow-blue" ? view::PanelColor::YellowBlue
                                         : view::PanelColor::White;
  const emu::PanelChoice choice = emu::choose_panel(model, panel, o.controller.model, o.controller.glass);
  if (!choice) {
    std::cerr << (choice.controller_mistake
                      ? "Option --controller " + common::quoted_excerpt(model) + " " + *choice.controller_mistake
                      : "Option --panel " + common::quoted_excerpt(panel) + " " + *choice.glass_mistake)
              << ".\n";
    cl.exit_now = 2;
    return cl;
  }
  o.controller.noise_ram = ram == "noise";
  o.controller.column_wrap = wrap == "zero" ? emu::ColumnWrap::Zero : emu::ColumnWrap::Start;
  o.term = no_term ? run::TermMode::Off : ascii ? run::TermMode::Ascii : run::TermMode::Unicode;
  o.builtin_script = kDemoScript;
  o.builtin_name = kDemoScriptName;
  cl.demo = o.script_path.empty() && o.calls.empty() && o.decode_path.empty();
  if (cl.demo && o.png_path.empty()) o.png_path = "panel.png";
  return cl;
}

}  // namespace qel::tool
