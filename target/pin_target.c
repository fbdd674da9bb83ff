/*
 * Target stand-in for the platform's PIN driver (interface ti/drivers/PIN.h).
 *
 * No hardware is driven. Each pin write is checked against the byte pattern of
 * the display link as it arrives: a write to the data/command select pin opens
 * a byte, then eight times clock low, data bit, clock high. A completed byte is
 * appended to a fixed RAM log with its command/data mark; a write that breaks
 * the pattern abandons the byte and is counted. Writes to other pins between
 * bytes (clock idle level, reset) are accepted and not logged. Nothing is
 * allocated.
 */
#include <stddef.h>
#include <ti/drivers/PIN.h>

#include "pin_log.h"

/* DIO numbers of the display link. */
enum { DIO_CLOCK = 9, DIO_DATA = 10, DIO_SELECT = 26 };

enum { MAX_PIN_ID = 31, WRITES_PER_BYTE = 25 };

static QEL_PinLog pin_log;
static uint32_t pins_held; /* pins held by any open handle */
static uint8_t shift;      /* bits of the byte in progress */
static uint8_t is_data;    /* select level of the byte in progress */

PIN_Handle PIN_open(PIN_State *state, const PIN_Config pinList[]) {
  const PIN_Config *p;
  uint32_t wanted = 0U;

  if (state == NULL || pinList == NULL) {
    return NULL;
  }
  for (p = pinList; (*p & 0xFFU) != PIN_TERMINATE; p++) {
    uint32_t id = *p & 0xFFU;
    uint32_t bit;
    if (id > MAX_PIN_ID) {
      return NULL;
    }
    bit = 1UL << id;
    if (((wanted | pins_held) & bit) != 0U) {
      return NULL;
    }
    wanted |= bit;
  }
  state->held = wanted;
  state->levels = 0U;
  state->generation = 1U;
  pins_held |= wanted;
  return state;
}

static void append(uint16_t entry) {
  if (pin_log.count < QEL_PIN_LOG_CAPACITY) {
    pin_log.entries[pin_log.count++] = entry;
  } else {
    pin_log.dropped++;
  }
}

/* Advances the byte pattern by one write. */
static void track(PIN_Id pin, uint32_t level) {
  if (pin_log.step != 0U) {
    uint8_t phase = (uint8_t)((pin_log.step - 1U) % 3U);
    int fits = (phase == 0U)   ? (pin == DIO_CLOCK && level == 0U)
               : (phase == 1U) ? (pin == DIO_DATA)
                               : (pin == DIO_CLOCK && level == 1U);
    if (fits) {
      if (phase == 1U) {
        shift = (uint8_t)((shift << 1) | level);
      }
      if (++pin_log.step == WRITES_PER_BYTE) {
        append((uint16_t)(shift | (is_data != 0U ? QEL_PIN_LOG_DATA : 0U)));
        pin_log.step = 0U;
      }
      return;
    }
    pin_log.broken++; /* the byte is dropped; this write may open the next one */
    pin_log.step = 0U;
  }
  if (pin == DIO_SELECT) {
    is_data = (uint8_t)level;
    shift = 0U;
    pin_log.step = 1U;
  }
}

PIN_Status PIN_setOutputValue(PIN_Handle handle, PIN_Id pinId, uint32_t val) {
  uint32_t bit;
  uint32_t level = (val != 0U) ? 1U : 0U;

  if (handle == NULL || pinId > MAX_PIN_ID) {
    return PIN_NO_ACCESS;
  }
  bit = 1UL << pinId;
  if ((handle->held & bit) == 0U) {
    return PIN_NO_ACCESS;
  }
  handle->levels = (handle->levels & ~bit) | (level << pinId);
  track(pinId, level);
  return PIN_SUCCESS;
}

const QEL_PinLog *qel_pin_log(void) { return &pin_log; }

void qel_pin_log_clear(void) {
  pin_log.count = 0U;
  pin_log.dropped = 0U;
  pin_log.broken = 0U;
}

void qel_pin_reset(void) {
  qel_pin_log_clear();
  pin_log.step = 0U;
  pins_held = 0U;
}
