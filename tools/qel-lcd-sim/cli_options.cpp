// The options table of qel-lcd-sim; see cli_options.h.
#include "cli_options.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "check_options.h"
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
                 "default: found from the names")
      ->option_text("ROLE=NAME,...")
      ->needs(decode);
  decode->excludes(script)->excludes(calls)->excludes(frames)->excludes(sr);
  std::string bus;
  app.add_option("--bus", bus, "The capture's bus: 4-wire or 3-wire serial, or I2C (roles scl, sda)")
      ->check(CLI::IsMember({"spi4", "spi3", "i2c"}))
      ->option_text("spi4|spi3|i2c");

  std::string model = "ssd1306";
  app.add_option("--controller", model, "The panel's controller: its command set, RAM width and power circuit")
      ->check(CLI::IsMember({"ssd1306", "sh1106", "ssd1309", "ssd1315"}))
      ->option_text("ssd1306|sh1106|ssd1309|ssd1315");
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
  add_check_options(app, o.checks);
  app.set_version_flag("--version", std::string("qel-lcd-sim ") + QEL_LCD_VERSION);

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --version
    cl.exit_now = app.exit(e);
    return cl;
  } catch (const CLI::ParseError& e) {
    std::cerr << e.what() << "\nRun with --help for the list of options.\n";
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
  o.controller.model = emu::model_named(model).value_or(emu::ControllerModel::Ssd1306);
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
