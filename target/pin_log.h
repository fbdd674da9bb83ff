/*
 * Byte log of the target pin stand-in: every byte the module sends, as the
 * controller would take it (command or data), kept in a fixed RAM array.
 * Plain C, usable from C and C++.
 */
#ifndef QEL_TARGET_PIN_LOG_H
#define QEL_TARGET_PIN_LOG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes the log holds before it reports an overflow. */
#define QEL_PIN_LOG_CAPACITY 4096U

/* An entry holds the byte value in its low 8 bits and this flag for display data. */
#define QEL_PIN_LOG_DATA 0x100U

typedef struct {
  uint32_t count;   /* entries in use */
  uint32_t dropped; /* bytes that arrived while the log was full */
  uint32_t broken;  /* bytes abandoned because a pin write broke the 25-write pattern */
  uint8_t step;     /* writes of the byte in progress (0: between bytes) */
  uint16_t entries[QEL_PIN_LOG_CAPACITY];
} QEL_PinLog;

/* The log as it stands. */
const QEL_PinLog *qel_pin_log(void);

/* Empties the log and clears its error counts; a byte in progress continues. */
void qel_pin_log_clear(void);

/* Forgets every open pin and the log, as after power-on. */
void qel_pin_reset(void);

#ifdef __cplusplus
}
#endif

#endif /* QEL_TARGET_PIN_LOG_H */
