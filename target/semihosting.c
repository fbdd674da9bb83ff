/* ARM semihosting calls: a BKPT 0xAB trap with the operation in r0 and its argument in r1. */
#include "semihosting.h"

#include <stdint.h>

enum {
  SYS_WRITE0 = 0x04,        /* write a NUL-terminated string */
  SYS_EXIT_EXTENDED = 0x20, /* exit with a reason and a status */
  ADP_STOPPED_APPLICATION_EXIT = 0x20026
};

static uint32_t semihost_call(uint32_t operation, const void *argument) {
  register uint32_t r0 __asm__("r0") = operation;
  register const void *r1 __asm__("r1") = argument;
  __asm__ volatile("bkpt 0xAB" : "+r"(r0) : "r"(r1) : "memory");
  return r0;
}

void qel_semihost_write(const char *text) { (void)semihost_call(SYS_WRITE0, text); }

void qel_semihost_exit(int status) {
  const uint32_t block[2] = {ADP_STOPPED_APPLICATION_EXIT, (uint32_t)status};
  (void)semihost_call(SYS_EXIT_EXTENDED, block);
  for (;;) {
  }
}
