// The subset of Win32 (window, input, process, multimedia timer) that the demo
// calls, over SDL2 or in the browser. Names, types and constant values are
// Win32's. Its namesake in api_win32/ is the Windows build's: there the
// system's <windows.h> declares these names, so the engine's #include
// "win32.h" means the same interface on every platform.
#pragma once

#include <cstdint>

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef int32_t INT;
typedef int BOOL;
typedef int16_t SHORT;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef unsigned long ULONG;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef int32_t HRESULT;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define WINAPI
#define CALLBACK
// The calling convention of interface methods (stdcall on 32-bit Windows).
#define STDMETHODCALLTYPE

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
struct HMENU__;
typedef HMENU__* HMENU;

struct POINT {
  LONG x, y;
};

struct RECT {
  LONG left, top, right, bottom;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

// Window styles and show commands.
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_THICKFRAME = 0x00040000;  // a sizing border: the window can be resized and maximised
constexpr int SW_SHOWNORMAL = 1;

// PeekMessage flags.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Window messages the stand-in produces.
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;

// Virtual keys: Escape, F1 and F2 are the ones the demo polls; the others are
// what WM_KEYDOWN and WM_KEYUP carry besides letters ('A'-'Z'), digits
// ('0'-'9') and F1-F12 (VK_F1 + n).
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;

// Message box styles and results.
constexpr UINT MB_OK = 0x00000000;
constexpr int IDOK = 1;

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                     int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, LPVOID lpParam);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
int ShowCursor(BOOL bShow);
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
LRESULT DispatchMessageA(const MSG* lpMsg);
SHORT GetAsyncKeyState(int vKey);
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
[[noreturn]] void ExitProcess(UINT uExitCode);
DWORD timeGetTime();

// The program's entry, defined by the demo; the stand-in's main() calls it.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
