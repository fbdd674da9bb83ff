/*
 * qel_panel: the panel test kit. Firmware display code runs on a PC against an
 * emulated 128 x 64 panel behind the QEL_LCD module's pins, and tests check what
 * the panel shows: text lines, pixels, a golden PNG, the bytes sent and the
 * controller's notes. Usable from C99 and C++, from any test framework.
 *
 * A test starts with qel_panel_reset(NULL), then runs the code under test, which
 * calls QEL_LCD_Init as the firmware does, then reads the panel:
 *
 *   qel_panel_reset(NULL);
 *   show_status(21, 5);
 *   qel_panel_line_text(2, buf, sizeof buf);       buf now holds "T= 21"
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

typedef struct {
  int noise_ram;        /* 0: display RAM powers up as zeros; 1: the emulator's fixed noise pattern */
  int column_wrap_zero; /* 0: page-mode wrap to the column start address; 1: to column 0 */
} qel_panel_options;

/* Connects a new, powered-up panel to the module's pins (NULL options: both 0) and
 * clears the recorded bytes, notes and waveform. The module itself is not reset: its
 * pins stay open for the life of the program, so the code under test calls
 * QEL_LCD_Init as usual. Before the first reset no panel is connected, and the
 * readers below see a dark, empty one. */
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
 * grid: 21 cells of 6 columns from column 1; a cell showing a glyph of the module's
 * font reads as that character (blank as a space), any other cell as '?'; trailing
 * spaces are dropped. Writes at most size - 1 characters and a NUL (nothing when
 * size is 0) and returns the full length, as snprintf does. A line above 7 is empty. */
size_t qel_panel_line_text(unsigned line, char *buf, size_t size);

/* 1 lit, 0 dark, -1 outside 128 x 64; (0, 0) is the top left as a viewer sees it. */
int qel_panel_pixel(unsigned x, unsigned y);

/* Saves the panel as qel-lcd-sim --png does (scale 4, white). 0 done, -1 failed. */
int qel_panel_write_png(const char *path);

/* Number of pixels that differ between the panel and the golden PNG (one written by
 * qel_panel_write_png or qel-lcd-sim --png, at any scale or colour): 0 when equal,
 * -1 on error. When they differ and diff_png is not NULL, writes there the golden
 * picture with pixels lit only in the golden in red and pixels lit only now in green.
 * A diff_png that names the golden itself (any name of the same file) is an error,
 * so the golden is never overwritten by its diff. A missing golden is an error, unless the environment variable
 * QEL_PANEL_UPDATE_GOLDEN=1 is set: then the panel is saved as the golden and the
 * result is 0. To refresh a golden, delete it and run the test with the variable set. */
long qel_panel_compare_png(const char *golden_png, const char *diff_png);

/* The controller's notes since the last reset (an unknown command, a page beyond 7,
 * ...), each "byte N: what happened". qel_panel_note gives NULL past the end. Should
 * the kit run out of memory while recording, the last note says the recording is
 * incomplete (and qel_panel_error() too), so a test expecting no notes fails. */
size_t qel_panel_note_count(void);
const char *qel_panel_note(size_t index);

/* Every byte the controller took since the last reset, in order. *bytes stays valid
 * until the next call of the module or of the kit. A recording that ran out of
 * memory is incomplete: then 0, *bytes NULL and qel_panel_error() says why. */
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

/* The pin waveform since the last reset as a VCD file (GTKWave, PulseView). 0 done, -1 failed. */
int qel_panel_write_vcd(const char *path);

/* The panel in the terminal's half-block view, e.g. when a test fails (NULL: stdout). */
void qel_panel_print(FILE *out);

/* Why the last call that failed did, in one sentence naming the file; "" if none failed. */
const char *qel_panel_error(void);

#ifdef __cplusplus
}
#endif

#endif /* QEL_PANEL_H */
