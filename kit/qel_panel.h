/*
 * qel_panel: the panel test kit. Firmware display code runs on a PC against an
 * emulated 128 x 64 panel behind the QEL_LCD module's pins, and tests check what
 * the panel shows: text lines, pixels, a golden PNG, the bytes sent and the
 * notes on what the module or the controller left undone. Usable from C99 and
 * C++, from any test framework.
 *
 * A test starts with qel_panel_reset, runs the code under test, which calls
 * QEL_LCD_Init as the firmware does, reads the panel, and ends with
 * qel_panel_close (a fixture's set-up and teardown):
 *
 *   qel_panel_reset(NULL);
 *   show_status(21, 5);
 *   qel_panel_line_text(2, buf, sizeof buf);       buf now holds "T= 21"
 *   assert(qel_panel_note_count() == 0);
 *   qel_panel_close();
 *
 * Nothing a test leaves undone passes silently: each of these is a note, so a
 * test that expects no notes fails on it, and the note says which call it was:
 *   - a call the module leaves undone: before QEL_LCD_Init (its pins are not
 *     open), a line of 16 or more, a base other than 10 or 16;
 *   - text the panel does not show whole: a 22nd character (only one of its six
 *     pixel columns fits) and text from the 23rd character on, which continues
 *     on the next line without blanking it;
 *   - bytes a new panel ignores because the code under test did not call
 *     QEL_LCD_Init after qel_panel_reset (the controller was never reset);
 *   - the controller's own notes (an unknown command, a page beyond 7, ...);
 *   - module calls made while no panel was connected: a test that did not call
 *     qel_panel_reset after the last test's qel_panel_close (or before its first
 *     reset). Its readers see a dark, empty panel and qel_panel_note_count()
 *     counts one note saying so. Without qel_panel_close between tests the kit
 *     cannot tell where one test ends, so close each test.
 *
 * All calls come from one thread, as the module's do. Failures never abort: the
 * call returns -1 and qel_panel_error() says why.
 */
#ifndef QEL_PANEL_H
#define QEL_PANEL_H

#include <stddef.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A zeroed struct (or NULL) gives the defaults. */
typedef struct {
  int noise_ram;        /* 0: display RAM powers up as zeros; 1: the emulator's fixed noise pattern */
  int column_wrap_zero; /* 0: page-mode wrap to the column start address; 1: to column 0 */
  /* The pin waveform kept for qel_panel_write_vcd: 0 keeps its first 16 MB (one byte
   * per pin write: a start-up and some 2,000 line writes), or 4 MB when frames are
   * kept (each frame holds its call's waveform); N > 0 its first N MB; -1 none. What
   * is past the limit still reaches the panel; only the waveform is cut. */
  int waveform_mb;
  /* 1: also gather the run frame by frame (one frame per module call, with its
   * bytes, notes and waveform) for qel_panel_write_report and qel_panel_write_gif.
   * Off by default: it costs about as much again as the test itself. Memory stays
   * bounded: past 500 calls neighbouring frames are merged. */
  int frames;
  /* The panel's controller: "ssd1306" (NULL or "": the default), "sh1106", "ssd1309"
   * or "ssd1315"; and its glass, "WxH" or "WxH+C" (NULL or "": 128x64 from the
   * controller's usual first column), e.g. "128x32" or "64x48+32". The readers then
   * show that glass: qel_panel_pixel takes its size, qel_panel_line_text its height
   * / 8 lines, and PNGs are of its size. A name the kit does not know makes the
   * reset fail: the old panel stays connected and qel_panel_error() says why. */
  const char *controller;
  const char *glass;
} qel_panel_options;

/* Connects a new, powered-up panel to the module's pins (NULL options: all 0) and
 * clears the recorded bytes, notes, waveform and frames. The module itself is not
 * reset: its pins stay open for the life of the program, so the code under test
 * calls QEL_LCD_Init as usual (without it, the new panel ignores what it is sent,
 * and a note says so). Before the first reset no panel is connected, and the
 * readers below see a dark, empty one. Memory stays under 64 MB however many
 * calls a test makes: bytes, notes and waveform are kept up to a limit each, and
 * the readers say when something was left out. */
void qel_panel_reset(const qel_panel_options *options);

/* Frees everything the kit holds: the panel, its recorded bytes, notes and
 * waveform, the recording buffer kept for the next panel, and the error text; the
 * module's pins then reach no panel. Call it when a test ends (in a fixture's
 * teardown, say) so that a leak checker (CppUTest's, valgrind, LeakSanitizer)
 * sees nothing left. The readers then see a dark, empty panel, as before the first
 * reset, without allocating; a later qel_panel_reset starts again. Calling it
 * twice, or before any reset, is harmless. */
void qel_panel_close(void);

/* Text line `line` (0 to 7) read back from display RAM on the module's character
 * grid. A line shows 21 characters in full, in cells of 6 columns from column 1; a
 * cell showing a glyph of the module's font reads as that character (blank as a
 * space), any other cell as '?'. A 22nd character starts at the panel's last
 * column, 127, where only one of its six pixel columns fits (the controller's
 * column wrap decides which: in page mode all six land on column 127 and the
 * last stays): that column reads as a 22nd cell, '?' when anything in it is lit. Trailing spaces are dropped. Writes at
 * most size - 1 characters and a NUL (nothing when size is 0) and returns the full length, as snprintf does. A line
 * above 7 is empty. */
size_t qel_panel_line_text(unsigned line, char *buf, size_t size);

/* 1 lit, 0 dark, -1 outside 128 x 64; (0, 0) is the top left as a viewer sees it. */
int qel_panel_pixel(unsigned x, unsigned y);

/* Saves the panel as qel-lcd-sim --png does (scale 4, white): the 128 x 64 panel
 * inside a dark bezel of 4 panel pixels on each side, so 544 x 288. 0 done, -1 failed. */
int qel_panel_write_png(const char *path);

/* Number of pixels that differ between the panel and the golden PNG: 0 when equal,
 * -1 on error. Any PNG showing the panel is a golden: one written by
 * qel_panel_write_png or qel-lcd-sim --png at any scale and colour, at any bit depth,
 * with or without colour chunks (sRGB, gAMA), where a panel pixel is lit when the
 * centre of its square is not the dark pixel colour; or a plain 128 x 64 picture
 * without a bezel, where a pixel is lit when its brightest channel is at least half.
 *
 * On a difference, qel_panel_error() names the golden, the number of pixels and the
 * box around them ("x 12-40, y 8-15"), and when diff_png is not NULL a diff image
 * is written there: the golden, the panel now and the difference side by side,
 * pixels lit only in the golden in red and lit only now in green. A diff_png that
 * names the golden itself (any name of the same file) is an error.
 *
 * The environment steers it, as snapshot tools do:
 *   QEL_PANEL_ARTIFACTS_DIR=dir   every golden that differs also leaves
 *                                 dir/<golden-name>.actual.png (the panel now) and
 *                                 dir/<golden-name>.diff.png, for CI to keep; the
 *                                 folder is created.
 *   QEL_PANEL_UPDATE_GOLDEN=1     (or true, yes, on; any case) records a missing
 *                                 golden and rewrites one that differs, creating its
 *                                 folder, prints one line per golden written on
 *                                 stderr, and returns 0. Refused with -1 when the CI
 *                                 variable is set, as every CI service sets it, so it
 *                                 cannot be left on by mistake.
 * Without update mode a missing golden is an error that says how to record it. */
long qel_panel_compare_png(const char *golden_png, const char *diff_png);

/* The run since the last reset as one self-contained HTML page, the same as
 * qel-lcd-sim --report writes: the final panel, the notes each linked to its
 * frame, and one frame per module call with the call, its command listing,
 * costs, notes and pin waveform. qel_panel_write_gif writes the same frames as an
 * animated GIF. Both need the frames: reset with qel_panel_options.frames = 1
 * (say in the fixture's set-up), then write one when a test fails. 0 done, -1
 * failed. */
int qel_panel_write_report(const char *path);
int qel_panel_write_gif(const char *path);

/* The notes since the last reset (see the top of this file), each naming the module
 * call it arose in, counted from 1 since the reset, and for the controller's notes
 * the byte: "call 3, QEL_LCD_WriteString(line 7): byte 1079: Page byte 0xB8 ...".
 * qel_panel_note gives NULL past the end. The first 1,000 are kept; past them a last
 * note counts the rest. Should the kit run out of memory while recording, the last
 * note says the recording is incomplete (and qel_panel_error() too), so a test
 * expecting no notes fails. */
size_t qel_panel_note_count(void);
const char *qel_panel_note(size_t index);

/* Every byte the controller took since the last reset, in order. *bytes stays valid
 * until the next call of the module or of the kit. The first 4,194,304 bytes are
 * kept; a panel that took more, or a recording that ran out of memory, is
 * incomplete: then 0, *bytes NULL and qel_panel_error() says why. */
typedef struct {
  unsigned char value;
  unsigned char is_data; /* 1 display data, 0 command */
} qel_panel_byte;
size_t qel_panel_bytes(const qel_panel_byte **bytes);

/* Findings since the last reset: conclusions about the whole session so far, each a
 * known fault (the display never turned on, no charge pump, pages overrun, columns
 * never written, ...; the ids are listed in qel-lcd-sim's README). id is stable
 * ("page-overrun"); severity is "error" (the panel shows something wrong or nothing)
 * or "warning" (it works by chance, or only on some boards); where is the byte
 * ("byte 158") or "end (N bytes)"; sentence says what a viewer sees, the likely cause
 * and the usual fix. The module's own output gives two warnings: columns-never-written
 * (it never writes column 0) and page-overrun (each fill sends 128 bytes from column 1).
 * The strings stay valid until the next call of the module or of the kit;
 * qel_panel_finding gives all four NULL past the end. */
typedef struct {
  const char *id;
  const char *severity;
  const char *where;
  const char *sentence;
} qel_panel_finding_info;
size_t qel_panel_finding_count(void);
qel_panel_finding_info qel_panel_finding(size_t index);

/* The pin waveform since the last reset as a VCD file (GTKWave, PulseView). 0 done;
 * 1 written, but the waveform was cut at its limit (qel_panel_options.waveform_mb), so
 * the file holds its first part and qel_panel_error() says where; -1 failed. */
int qel_panel_write_vcd(const char *path);

/* The panel in the terminal, two pixel rows to a text line, e.g. when a test fails
 * (NULL: stdout): qel_panel_print in Unicode half blocks; qel_panel_print_ascii in
 * plain ASCII, as qel-lcd-sim --ascii draws it ('#' both pixels of a pair lit, '"'
 * the top one, '.' the bottom one), for logs and consoles without Unicode. */
void qel_panel_print(FILE *out);
void qel_panel_print_ascii(FILE *out);

/* Why the last call that failed did, in one sentence naming the file; "" if none failed. */
const char *qel_panel_error(void);

#ifdef __cplusplus
}
#endif

#endif /* QEL_PANEL_H */
