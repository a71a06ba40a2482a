// Native stand-in for <windows.h>: the types, constants and functions the driver
// uses, declared as Windows declares them. FakeWindows.cpp implements and records
// them for the unit tests.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define __stdcall
#define __cdecl

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int16_t SHORT;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef uintptr_t ULONG_PTR;
typedef intptr_t INT_PTR;
typedef size_t SIZE_T;
typedef wchar_t WCHAR;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef WCHAR* LPWSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef void* HANDLE;
typedef struct HINSTANCE__* HMODULE;
typedef struct HWND__* HWND;
typedef struct HKL__* HKL;
typedef INT_PTR(WINAPI* FARPROC)();

#define TRUE 1
#define FALSE 0
#define MAXDWORD 0xffffffffu
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3
#define MB_OK 0x00000000u
#define IDOK 1
#define KEYEVENTF_EXTENDEDKEY 0x0001
#define KEYEVENTF_KEYUP 0x0002
#define KEYEVENTF_UNICODE 0x0004
#define INPUT_KEYBOARD 1
#define MAPVK_VK_TO_VSC 0
#define MAPVK_VK_TO_CHAR 2
#define CP_ACP 0
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_DIVIDE 0x6F
#define VK_LSHIFT 0xA0
#define VK_RCONTROL 0xA3
#define VK_RMENU 0xA5
#define VK_PACKET 0xE7
#define ES_SYSTEM_REQUIRED 0x00000001
#define ES_DISPLAY_REQUIRED 0x00000002
#define ES_CONTINUOUS 0x80000000

typedef struct _DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fFlags;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
} DCB, *LPDCB;

typedef struct _COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
} COMMTIMEOUTS, *LPCOMMTIMEOUTS;

typedef struct _COMSTAT {
  DWORD fFlags;
  DWORD cbInQue;
  DWORD cbOutQue;
} COMSTAT, *LPCOMSTAT;

typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

typedef struct tagKEYBDINPUT {
  WORD wVk;
  WORD wScan;
  DWORD dwFlags;
  DWORD time;
  ULONG_PTR dwExtraInfo;
} KEYBDINPUT;

typedef struct tagINPUT {
  DWORD type;
  union {
    KEYBDINPUT ki;
    BYTE padding[32];
  };
} INPUT, *LPINPUT;

#ifdef __cplusplus
extern "C" {
#endif

HMODULE WINAPI LoadLibraryA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
BOOL WINAPI BuildCommDCBA(LPCSTR def, LPDCB dcb);
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WINAPI SetCommState(HANDLE file, LPDCB dcb);
BOOL WINAPI SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPOVERLAPPED overlapped);
BOOL WINAPI ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT stat);
BOOL WINAPI CloseHandle(HANDLE object);
LPSTR WINAPI lstrcpynA(LPSTR dest, LPCSTR src, int maxLength);
int WINAPI lstrlenA(LPCSTR s);
DWORD WINAPI GetTickCount(void);
void WINAPI Sleep(DWORD ms);
HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLength, LPWSTR dest,
                               int destLength);

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
SHORT WINAPI VkKeyScanExA(CHAR ch, HKL layout);
UINT WINAPI MapVirtualKeyA(UINT code, UINT mapType);
UINT WINAPI MapVirtualKeyExA(UINT code, UINT mapType, HKL layout);
void WINAPI keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo);
UINT WINAPI SendInput(UINT count, LPINPUT inputs, int size);
HWND WINAPI GetForegroundWindow(void);
DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId);
HKL WINAPI GetKeyboardLayout(DWORD threadId);
SHORT WINAPI GetKeyState(int vk);
int WINAPI ToUnicodeEx(UINT vk, UINT scan, const BYTE* keyState, LPWSTR buffer, int size,
                       UINT flags, HKL layout);
typedef DWORD EXECUTION_STATE;
EXECUTION_STATE WINAPI SetThreadExecutionState(EXECUTION_STATE flags);

// Overlapped I/O on a pipe, waits, the last error and the 64-bit tick count
// (FakePipe.cpp).
typedef uint64_t ULONGLONG;
typedef const WCHAR* LPCWSTR;
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define ERROR_INVALID_HANDLE 6u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_BROKEN_PIPE 109u
#define ERROR_NO_DATA 232u
#define ERROR_PIPE_CONNECTED 535u
#define SECURITY_IDENTIFICATION 0x00010000u
#define SECURITY_SQOS_PRESENT 0x00100000u
#define ERROR_OPERATION_ABORTED 995u
#define ERROR_IO_INCOMPLETE 996u
#define ERROR_IO_PENDING 997u
struct _OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                           LPCWSTR name);
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll,
                                    DWORD milliseconds);
// The thread has no windows here: no message ever wakes the wait, none is handled.
#define QS_SENDMESSAGE 0x0040u
#define PM_NOREMOVE 0x0000u
#define PM_QS_SENDMESSAGE 0x00400000u
typedef struct tagMSG {
  HWND hwnd;
  UINT message;
} MSG;
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask);
BOOL WINAPI PeekMessageW(MSG* message, HWND window, UINT first, UINT last, UINT remove);
BOOL WINAPI ConnectNamedPipe(HANDLE pipe, LPOVERLAPPED overlapped);
BOOL WINAPI CancelIo(HANDLE file);
BOOL WINAPI GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred,
                                BOOL wait);
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);
ULONGLONG WINAPI GetTickCount64(void);

// The running Windows' version (ntdll) and the user's settings in the registry
// (advapi32; FakeSettings.cpp).
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef BYTE* LPBYTE;
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define KEY_QUERY_VALUE 0x0001
#define REG_DWORD 4
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_MORE_DATA 234L
#define KLF_SHIFTLOCK 0x00010000
typedef struct _OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
} OSVERSIONINFOW, RTL_OSVERSIONINFOW, *PRTL_OSVERSIONINFOW;
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size);
LONG WINAPI RegCloseKey(HKEY key);

// Files, folders, the environment, the clock and process identity, as the log
// uses them (FakeFiles.cpp).
#define MAX_PATH 260
#define FILE_APPEND_DATA 0x0004u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define OPEN_ALWAYS 4
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_DISK_FULL 112u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_ENVVAR_NOT_FOUND 203u
typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;
DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh);
void WINAPI GetLocalTime(LPSYSTEMTIME time);
DWORD WINAPI GetCurrentProcessId(void);
DWORD WINAPI GetCurrentThreadId(void);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR path, DWORD size);

#ifdef __cplusplus
}
#endif
