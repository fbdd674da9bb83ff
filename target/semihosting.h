/*
 * Console output and exit status through ARM semihosting: the emulator (or a
 * debugger) serves these calls, so the firmware needs no UART driver.
 */
#ifndef QEL_TARGET_SEMIHOSTING_H
#define QEL_TARGET_SEMIHOSTING_H

/* Writes a NUL-terminated string to the host console. */
void qel_semihost_write(const char *text);

/* Ends the program with the status as the emulator's exit code. */
void qel_semihost_exit(int status) __attribute__((noreturn));

#endif /* QEL_TARGET_SEMIHOSTING_H */
