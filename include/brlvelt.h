/* Braille display driver for the VELT display: the host interface.
 *
 * A screen reader loads brlvelt.dll and calls these eight functions, all cdecl,
 * from one thread at a time. BrlInit opens the display and returns its cell count
 * (low byte) and status-cell count (next byte), or 0 on failure; BrlTimer must be
 * called periodically so the driver can collect key input from the display. */
#ifndef BRLVELT_H
#define BRLVELT_H

#ifdef _WIN32
#define BRL_CALL __cdecl
#else
#define BRL_CALL
#endif

/* The callback's convention; redefined only to build a deliberately mismatched
 * driver that shows the tests catch a wrong convention. */
#ifndef BRL_CALLBACK
#ifdef _WIN32
#define BRL_CALLBACK __stdcall
#else
#define BRL_CALLBACK
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Receives a display-key chord: code has bit 31 set, param is 0 or a key number
 * above 128. Called with stdcall from inside BrlTimer; the result is ignored. */
typedef int(BRL_CALLBACK* KeyCallback)(int code, int param);

int BRL_CALL BrlInit(const char* settings, KeyCallback callback);
int BRL_CALL BrlTerminate(void);
int BRL_CALL BrlDisplay(const unsigned char* cells, int count);
int BRL_CALL BrlDisplayStatus(const unsigned char* cells, int count);
int BRL_CALL BrlClear(void);
int BRL_CALL BrlRefresh(void);
int BRL_CALL BrlSleep(int sleep);
int BRL_CALL BrlTimer(void);

#ifdef __cplusplus
}
#endif

#endif
