// The subset of the Win32 API that the viewer's window code uses, for systems without Win32. It is
// grouped the way the SDK headers group it and declares only what src/platform implements; each call
// keeps the Win32 contract the window code relies on (see the comment above each implementation).
//
// What the subset supports, for the viewer's window code:
//   [x] top-level windows of registered classes: create, show, title, close, destroy, several at once
//   [x] one OpenGL context per window through a pixel format (RGBA, double-buffered) and WGL
//   [x] GetMessageA's Win32 order: sent size changes, posted and input messages, WM_QUIT, WM_PAINT
//   [x] mouse moves (coalesced) and left, right and middle buttons; mouse capture of a single window
//   [x] GetKeyState as of the message read (Super counts as Alt); WM_KEYDOWN, WM_KEYUP and, through
//       TranslateMessage, WM_CHAR with the character the keyboard layout gives
//   [x] WM_MOUSEWHEEL in multiples of WHEEL_DELTA, to the window under the cursor
//   [x] timers of a window (SetTimer, KillTimer): WM_TIMER when nothing else waits, never two at once
//   [x] WM_SIZE on resize and minimise, in pixels also on high-DPI screens
//   [ ] child windows (a parent makes CreateWindowExA fail), menus, timer procedures, PeekMessage, threads
//   [ ] double clicks (no CS_DBLCLKS), buttons 4 and up, horizontal wheels
//   [ ] system key messages (Alt combinations come as WM_KEYDOWN), dead keys, accelerator tables
//   [ ] SIZE_MAXIMIZED (a maximised window reports SIZE_RESTORED)
//   [ ] resources: only the stock icon, arrow cursor and white brush; no fonts or GDI drawing
#pragma once

#include <cstdint>

// ---- minwindef.h / windef.h / basetsd.h: base types, handles, helper macros ----

#define WINAPI
#define CALLBACK
#define TRUE 1
#define FALSE 0

typedef int BOOL;
typedef unsigned char BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int16_t SHORT;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef WORD ATOM;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* LPVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;

// Handles are distinct opaque pointer types, so that a device context cannot be passed as a window.
#define SV_DECLARE_HANDLE(name) \
  struct name##__;              \
  typedef name##__* name
SV_DECLARE_HANDLE(HWND);
SV_DECLARE_HANDLE(HDC);
SV_DECLARE_HANDLE(HGLRC);
SV_DECLARE_HANDLE(HINSTANCE);
SV_DECLARE_HANDLE(HICON);
SV_DECLARE_HANDLE(HBRUSH);
SV_DECLARE_HANDLE(HMENU);
SV_DECLARE_HANDLE(HACCEL);
SV_DECLARE_HANDLE(HFONT);
SV_DECLARE_HANDLE(HRGN);
#undef SV_DECLARE_HANDLE
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef void* HGDIOBJ;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT;

#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((UINT_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((UINT_PTR)(b)) & 0xffff))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEA(i) ((LPSTR)((UINT_PTR)((WORD)(i))))

// ---- winuser.h: window classes, windows, messages, painting, input ----

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

// Class styles. The layer never generates double-click messages, as for a class without CS_DBLCLKS.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

// Window styles. WS_VISIBLE shows the window at creation; the others are kept with the window, whose
// frame is whatever the window system gives a normal top-level window.
#define WS_OVERLAPPED 0x00000000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_THICKFRAME 0x00040000L
#define WS_SYSMENU 0x00080000L
#define WS_CAPTION 0x00C00000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_VISIBLE 0x10000000L
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_SETFONT 0x0030
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MOUSEWHEEL 0x020A

// The wheel's rotation for one notch, and where WM_MOUSEWHEEL carries it (signed, positive away from the user).
#define WHEEL_DELTA 120
#define GET_WHEEL_DELTA_WPARAM(w) ((short)HIWORD(w))

// WM_SIZE request types.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1

// Mouse message key flags (wParam).
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// Virtual keys of key messages and GetKeyState. Letters and digits are their upper-case ASCII codes.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
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
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_NUMPAD0 0x60
#define VK_DECIMAL 0x6E
#define VK_F1 0x70
#define VK_F5 0x74
#define VK_F12 0x7B
// Punctuation keys, named by what they type in the US layout.
#define VK_OEM_1 0xBA       // ;
#define VK_OEM_PLUS 0xBB    // =
#define VK_OEM_COMMA 0xBC   // ,
#define VK_OEM_MINUS 0xBD   // -
#define VK_OEM_PERIOD 0xBE  // .
#define VK_OEM_2 0xBF       // /
#define VK_OEM_3 0xC0       // `
#define VK_OEM_4 0xDB       // [
#define VK_OEM_5 0xDC       // backslash
#define VK_OEM_6 0xDD       // ]
#define VK_OEM_7 0xDE       // '
#define VK_OEM_102 0xE2     // the extra key of European keyboards

// RedrawWindow flags.
#define RDW_INVALIDATE 0x0001
#define RDW_VALIDATE 0x0008
#define RDW_UPDATENOW 0x0100

// Stock icon and cursor.
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
int WINAPI GetWindowTextLengthA(HWND window);
int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int maxCount);

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
HACCEL WINAPI LoadAcceleratorsA(HINSTANCE instance, LPCSTR tableName);
int WINAPI TranslateAcceleratorA(HWND window, HACCEL accelerators, LPMSG message);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageA(const MSG* message);
void WINAPI PostQuitMessage(int exitCode);
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);

HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC deviceContext);
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL WINAPI RedrawWindow(HWND window, const RECT* updateRect, HRGN updateRegion, UINT flags);

BOOL WINAPI GetCursorPos(LPPOINT point);
BOOL WINAPI ScreenToClient(HWND window, LPPOINT point);
HWND WINAPI SetCapture(HWND window);
BOOL WINAPI ReleaseCapture(void);
SHORT WINAPI GetKeyState(int virtualKey);

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName);

// ---- wingdi.h: pixel formats, buffers, stock objects, the OpenGL binding (WGL) ----

typedef struct tagPIXELFORMATDESCRIPTOR {
  WORD nSize;
  WORD nVersion;
  DWORD dwFlags;
  BYTE iPixelType;
  BYTE cColorBits;
  BYTE cRedBits;
  BYTE cRedShift;
  BYTE cGreenBits;
  BYTE cGreenShift;
  BYTE cBlueBits;
  BYTE cBlueShift;
  BYTE cAlphaBits;
  BYTE cAlphaShift;
  BYTE cAccumBits;
  BYTE cAccumRedBits;
  BYTE cAccumGreenBits;
  BYTE cAccumBlueBits;
  BYTE cAccumAlphaBits;
  BYTE cDepthBits;
  BYTE cStencilBits;
  BYTE cAuxBuffers;
  BYTE iLayerType;
  BYTE bReserved;
  DWORD dwLayerMask;
  DWORD dwVisibleMask;
  DWORD dwDamageMask;
} PIXELFORMATDESCRIPTOR;
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR has the Win32 layout");

#define PFD_DOUBLEBUFFER 0x00000001
#define PFD_DRAW_TO_WINDOW 0x00000004
#define PFD_SUPPORT_OPENGL 0x00000020
#define PFD_TYPE_RGBA 0
#define PFD_MAIN_PLANE 0

#define WHITE_BRUSH 0
#define TRANSPARENT 1
#define OPAQUE 2

int WINAPI ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* request);
BOOL WINAPI SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* request);
BOOL WINAPI SwapBuffers(HDC deviceContext);
HGDIOBJ WINAPI GetStockObject(int object);
int WINAPI SetBkMode(HDC deviceContext, int mode);

HGLRC WINAPI wglCreateContext(HDC deviceContext);
BOOL WINAPI wglMakeCurrent(HDC deviceContext, HGLRC context);
BOOL WINAPI wglDeleteContext(HGLRC context);

// ---- libloaderapi.h (KERNEL32): modules ----

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
