/*
 * Firmware that runs the shared scenario on the Cortex-M3 and prints the bytes
 * the module sent: for each call a line "# " and the call, then one line per
 * byte, "C AE" for a command and "D 00" for display data. Trouble found by the
 * pin stand-in (a broken byte pattern, an overflowing log, a byte left
 * unfinished) is printed on a line starting with "! " and makes the exit
 * status 1.
 */
#include <stdint.h>

#include "pin_log.h"
#include "scenario.h"
#include "semihosting.h"

/* Output is gathered here and handed to the host a block at a time. */
static char out_buf[512];
static uint32_t out_len;
static int failures;

static void out_flush(void) {
  out_buf[out_len] = '\0';
  qel_semihost_write(out_buf);
  out_len = 0U;
}

static void out_text(const char *text) {
  while (*text != '\0') {
    if (out_len == sizeof out_buf - 1U) {
      out_flush();
    }
    out_buf[out_len++] = *text++;
  }
}

static void out_number(uint32_t n) {
  char digits[11];
  int i = (int)sizeof digits - 1;
  digits[i] = '\0';
  do {
    digits[--i] = (char)('0' + n % 10U);
    n /= 10U;
  } while (n != 0U);
  out_text(&digits[i]);
}

static void report(const char *what, uint32_t count) {
  if (count == 0U) {
    return;
  }
  out_text("! ");
  out_number(count);
  out_text(what);
  failures++;
}

/* Prints the bytes logged since the last call was announced, then empties the log. */
static void print_log(void) {
  static const char hex[] = "0123456789ABCDEF";
  const QEL_PinLog *log = qel_pin_log();
  char line[6] = {'C', ' ', '0', '0', '\n', '\0'};
  uint32_t k;

  for (k = 0U; k < log->count; k++) {
    uint16_t entry = log->entries[k];
    line[0] = (entry & QEL_PIN_LOG_DATA) != 0U ? 'D' : 'C';
    line[2] = hex[(entry >> 4) & 0xFU];
    line[3] = hex[entry & 0xFU];
    out_text(line);
  }
  report(" bytes dropped: the byte log is full\n", log->dropped);
  report(" bytes broke the 25-write pin pattern\n", log->broken);
  report(" byte left unfinished\n", log->step != 0U ? 1U : 0U);
  qel_pin_log_clear();
}

/* Called before each call of the scenario; its entry also marks the call boundaries when counting instructions. */
void qel_firmware_announce(const char *call);

void qel_firmware_announce(const char *call) {
  print_log();
  out_text("# ");
  out_text(call);
  out_text("\n");
}

int main(void) {
  qel_scenario_run(qel_firmware_announce);
  print_log();
  out_flush();
  return failures == 0 ? 0 : 1;
}
