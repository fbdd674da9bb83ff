/*
 * The display part of a small sensor node's firmware: a status screen, a menu and
 * a low-battery warning, drawn through the QEL_LCD module. The same file builds
 * for the target and, with the panel test kit, for tests on a PC.
 */
#ifndef DISPLAY_APP_H
#define DISPLAY_APP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  int32_t temperature_dc; /* tenths of a degree Celsius, may be negative */
  uint32_t humidity_pct;  /* relative humidity, 0 to 100 */
  uint32_t pressure_pa;   /* air pressure in pascal */
  uint32_t battery_mv;    /* battery voltage in millivolts */
} app_sensors;

/* Below this battery voltage the status screen shows a warning on its last line. */
#define APP_LOW_BATTERY_MV 3300U

/* Brings the display up (once, at start-up). */
void app_display_start(void);

/* The status screen: title, temperature with one decimal, humidity, pressure in
 * hPa, battery, and the low-battery warning only when the battery is low. */
void app_show_status(const app_sensors *s);

/* A menu of up to 7 entries under a title; the selected one is marked "> ... <". */
void app_show_menu(const char *title, const char *const *entries, unsigned count, unsigned selected);

#ifdef __cplusplus
}
#endif

#endif /* DISPLAY_APP_H */
