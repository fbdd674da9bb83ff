/*
 * One fixed run of the module's public calls, shared by the firmware and the
 * host, so that both send the same bytes and their byte logs can be compared.
 * Each call is announced, with its text as written in the source, just before
 * it is made.
 */
#ifndef QEL_TARGET_SCENARIO_H
#define QEL_TARGET_SCENARIO_H

#ifdef __cplusplus
extern "C" {
#endif

/* Told about each call before it runs, e.g. "QEL_LCD_ClearLine(QEL_LCD_LINE7);". */
typedef void (*QEL_ScenarioAnnounce)(const char *call);

/* Makes every call of the scenario, starting with QEL_LCD_Init. */
void qel_scenario_run(QEL_ScenarioAnnounce announce);

#ifdef __cplusplus
}
#endif

#endif /* QEL_TARGET_SCENARIO_H */
