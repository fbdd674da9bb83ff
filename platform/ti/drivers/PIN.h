/*
 * Host stand-in for the platform's PIN driver: the part of its interface that
 * QEL_LCD uses, so that the module's source builds unchanged on a PC.
 * Pin writes go to a host observer (see qel/pin_observer.h) instead of hardware.
 */
#ifndef QEL_HOST_TI_DRIVERS_PIN_H
#define QEL_HOST_TI_DRIVERS_PIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t PIN_Config; /* low byte: pin id; upper bits: configuration */
typedef uint8_t PIN_Id;
typedef uint32_t PIN_Status;

/* Ends a PIN_Config list. */
#define PIN_TERMINATE 254U

enum { PIN_SUCCESS = 0U, PIN_ALREADY_ALLOCATED = 1U, PIN_NO_ACCESS = 2U };

/* Record of one open set of pins. Owned by the caller; its fields belong to the driver. */
typedef struct {
  uint32_t held;       /* bit n set: pin n belongs to this handle */
  uint32_t levels;     /* bit n: output level of pin n */
  uint32_t generation; /* stand-in generation the handle was opened in */
} PIN_State;

typedef PIN_State *PIN_Handle;

/* Opens the pins listed (up to PIN_TERMINATE) as outputs driven low. Returns NULL, holding
 * nothing, for a NULL argument, a pin id above 31, a pin listed twice or already held. */
PIN_Handle PIN_open(PIN_State *state, const PIN_Config pinList[]);

/* Drives one pin of the handle to val (non-zero is 1). PIN_NO_ACCESS, changing nothing,
 * for a NULL handle or a pin the handle does not hold. */
PIN_Status PIN_setOutputValue(PIN_Handle handle, PIN_Id pinId, uint32_t val);

#ifdef __cplusplus
}
#endif

#endif /* QEL_HOST_TI_DRIVERS_PIN_H */
