/*
 * Start-up of the Cortex-M3 firmware: the vector table and the reset handler,
 * which copies initialised data to RAM, zeroes the rest, runs constructors,
 * calls main and hands its status to the emulator. Any fault ends the run with
 * a message and status 3.
 */
#include <stdint.h>

#include "semihosting.h"

/* Provided by the linker script. */
extern uint32_t qel_data_load[];
extern uint32_t qel_data_start[];
extern uint32_t qel_data_end[];
extern uint32_t qel_bss_start[];
extern uint32_t qel_bss_end[];
extern uint32_t qel_stack_top[];
extern void (*__init_array_start[])(void);
extern void (*__init_array_end[])(void);

int main(void);

void qel_reset_handler(void) __attribute__((noreturn));
void qel_fault_handler(void) __attribute__((noreturn));

void qel_reset_handler(void) {
  uint32_t *src = qel_data_load;
  uint32_t *dst;
  void (**ctor)(void);

  for (dst = qel_data_start; dst < qel_data_end; dst++) {
    *dst = *src++;
  }
  for (dst = qel_bss_start; dst < qel_bss_end; dst++) {
    *dst = 0U;
  }
  for (ctor = __init_array_start; ctor < __init_array_end; ctor++) {
    (*ctor)();
  }
  qel_semihost_exit(main());
}

void qel_fault_handler(void) {
  qel_semihost_write("! fault: the firmware stopped on an exception\n");
  qel_semihost_exit(3);
}

/* A vector table entry: the initial stack pointer or a handler. */
typedef union {
  uint32_t *stack;
  void (*handler)(void);
} vector_entry;

/* Core exceptions only: the firmware uses no interrupts. */
__attribute__((section(".vectors"), used)) static const vector_entry qel_vectors[16] = {
    {.stack = qel_stack_top},
    {.handler = qel_reset_handler},
    {.handler = qel_fault_handler}, /* NMI */
    {.handler = qel_fault_handler}, /* hard fault */
    {.handler = qel_fault_handler}, /* memory management fault */
    {.handler = qel_fault_handler}, /* bus fault */
    {.handler = qel_fault_handler}, /* usage fault */
    {0},
    {0},
    {0},
    {0},
    {.handler = qel_fault_handler}, /* SVCall */
    {.handler = qel_fault_handler}, /* debug monitor */
    {0},
    {.handler = qel_fault_handler}, /* PendSV */
    {.handler = qel_fault_handler}, /* SysTick */
};
