// Win32 side of the window seam: one user-interface, kernel or shell call
// (or a short fixed sequence) per operation, and the trampoline that hands
// the system's messages to the portable window procedure.
#include "platform/window.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cstring>
#include <new>

#include "platform/win32/desktop_shell.h"

namespace platform {

static_assert(CLASS_REDRAW_ON_WIDTH == CS_HREDRAW && CLASS_REDRAW_ON_HEIGHT == CS_VREDRAW);
static_assert(SHOW_HIDE == SW_HIDE && SHOW_SHOW == SW_SHOW);
static_assert(PLACE_NO_MOVE == SWP_NOMOVE && PLACE_SHOW_WINDOW == SWP_SHOWWINDOW);
static_assert(POSITION_DEFAULT == static_cast<int32_t>(CW_USEDEFAULT));
static_assert(METRIC_CAPTION_HEIGHT == SM_CYCAPTION && METRIC_FIXED_FRAME_WIDTH == SM_CXFIXEDFRAME &&
              METRIC_PADDED_BORDER == SM_CXPADDEDBORDER);
static_assert(sizeof(PAINTSTRUCT) <= PAINT_RECORD_SIZE && alignof(PAINTSTRUCT) <= 8);
// The record asked for must be the one that ends with the padded-border
// width; a build for a system older than Vista would declare a shorter one.
static_assert(sizeof(NONCLIENTMETRICSA) == NONCLIENT_METRICS_SIZE);

namespace {

// IDC_ARROW and friends are pointers made from numbers; the ANSI call wants
// the number spelled this way whatever UNICODE says.
LPCSTR ResourceNumber(uint32_t id) { return MAKEINTRESOURCEA(id); }

// The portable procedures of the classes registered through this seam, by
// class atom (and name, to find the entry again when the class goes). The
// program registers one class; tests may add a few.
constexpr size_t CLASS_NAME_SIZE = 256;
struct ClassProcedure {
  ATOM atom;
  WindowProcedure procedure;
  char name[CLASS_NAME_SIZE];
};
constexpr int MAX_CLASSES = 8;
ClassProcedure classProcedures[MAX_CLASSES];

WindowProcedure ProcedureOf(HWND window) {
  const ATOM atom = static_cast<ATOM>(::GetClassWord(window, GCW_ATOM));
  for (const ClassProcedure& entry : classProcedures) {
    if (entry.atom != 0 && entry.atom == atom) return entry.procedure;
  }
  return nullptr;
}

// The system calls this with the WINAPI convention; the portable procedure
// has the language's own, and its own parameter types.
LRESULT CALLBACK WindowTrampoline(HWND window, UINT message, WPARAM first, LPARAM second) {
  WindowProcedure procedure = ProcedureOf(window);
  if (procedure == nullptr) return ::DefWindowProcA(window, message, first, second);
  return procedure(window, message, first, second);
}

struct EnumerationContext {
  WindowVisitor visitor;
  void* context;
};

BOOL CALLBACK EnumerationTrampoline(HWND window, LPARAM parameter) {
  const EnumerationContext* enumeration = reinterpret_cast<const EnumerationContext*>(parameter);
  return enumeration->visitor(window, enumeration->context) != 0 ? TRUE : FALSE;
}

}  // namespace

int RegisterWindowClass(ModuleHandle instance, const WindowClassSettings& settings, WindowProcedure procedure) {
  ClassProcedure* slot = nullptr;
  for (ClassProcedure& entry : classProcedures) {
    if (entry.atom == 0) {
      slot = &entry;
      break;
    }
  }
  if (slot == nullptr || procedure == nullptr || settings.className == nullptr) return 0;
  if (std::strlen(settings.className) >= CLASS_NAME_SIZE) return 0;

  HINSTANCE module = static_cast<HINSTANCE>(instance);
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = settings.classStyle;
  windowClass.lpfnWndProc = WindowTrampoline;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = module;
  windowClass.hIcon = settings.iconResource != 0 ? ::LoadIconA(module, ResourceNumber(settings.iconResource)) : nullptr;
  windowClass.hCursor = ::LoadCursorA(nullptr, ResourceNumber(settings.systemCursor));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(settings.backgroundBrush);
  windowClass.lpszMenuName = settings.menuName;
  windowClass.lpszClassName = settings.className;
  // No window of the class can exist before the slot is filled below, so
  // no message can miss the procedure.
  const ATOM atom = ::RegisterClassA(&windowClass);
  if (atom == 0) return 0;
  slot->atom = atom;
  slot->procedure = procedure;
  std::memcpy(slot->name, settings.className, std::strlen(settings.className) + 1);
  return 1;
}

void UnregisterWindowClass(ModuleHandle instance, const char* className) {
  if (className == nullptr) return;
  if (!::UnregisterClassA(className, static_cast<HINSTANCE>(instance))) return;
  // Class names are compared without regard to case, as the system does.
  for (ClassProcedure& entry : classProcedures) {
    if (entry.atom != 0 && ::lstrcmpiA(entry.name, className) == 0) entry = ClassProcedure{};
  }
}

WindowHandle CreateAppWindow(const WindowSettings& settings) {
  return ::CreateWindowExA(settings.extendedStyle, settings.className, settings.title, settings.style,
                           settings.x, settings.y, settings.width, settings.height, nullptr, nullptr,
                           static_cast<HINSTANCE>(settings.instance), nullptr);
}

void DestroyAppWindow(WindowHandle window) { ::DestroyWindow(static_cast<HWND>(window)); }

void ShowAppWindow(WindowHandle window, int32_t showCommand) { ::ShowWindow(static_cast<HWND>(window), showCommand); }

void UpdateAppWindow(WindowHandle window) { ::UpdateWindow(static_cast<HWND>(window)); }

void PlaceWindow(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t width,
                 int32_t height, uint32_t flags) {
  ::SetWindowPos(static_cast<HWND>(window), static_cast<HWND>(insertAfter), x, y, width, height, flags);
}

TimerId StartWindowTimer(WindowHandle window, TimerId id, uint32_t milliseconds) {
  return ::SetTimer(static_cast<HWND>(window), id, milliseconds, nullptr);
}

void StopWindowTimer(WindowHandle window, TimerId id) { ::KillTimer(static_cast<HWND>(window), id); }

void ShowPointer(CursorHandle cursor) { ::SetCursor(static_cast<HCURSOR>(cursor)); }

void PauseThread(uint32_t milliseconds) { ::Sleep(milliseconds); }

int OpenWithShell(WindowHandle owner, const char* verb, const char* target, int32_t showCommand) {
  // Through the desktop's shell, so that a browser it starts does not get
  // this program's administrator rights; from here only when that fails.
  if (win32::OpenThroughDesktopShell(verb, target, showCommand) == 1) return 1;
  // ShellExecuteA answers a number above 32 on success, an error code below.
  HINSTANCE answer = ::ShellExecuteA(static_cast<HWND>(owner), verb, target, nullptr, nullptr, showCommand);
  return reinterpret_cast<INT_PTR>(answer) > 32 ? 1 : 0;
}

DrawContext GetWindowDrawContext(WindowHandle window) { return ::GetDC(static_cast<HWND>(window)); }

void ReleaseWindowDrawContext(WindowHandle window, DrawContext dc) {
  ::ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(dc));
}

void BeginWindowPaint(WindowHandle window, PaintRecord& record) {
  record.window = window;
  PAINTSTRUCT* paint = new (record.system) PAINTSTRUCT;
  record.dc = ::BeginPaint(static_cast<HWND>(window), paint);
}

void EndWindowPaint(PaintRecord& record) {
  // EndPaint is due also when BeginPaint gave no context.
  ::EndPaint(static_cast<HWND>(record.window), reinterpret_cast<PAINTSTRUCT*>(record.system));
}

int PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  return ::PostMessageA(static_cast<HWND>(window), message, first, second) ? 1 : 0;
}

void EndMessageLoop(int32_t exitCode) { ::PostQuitMessage(exitCode); }

int32_t RunMessageLoop() {
  MSG message;
  for (;;) {
    const BOOL fetched = ::GetMessageA(&message, nullptr, 0, 0);
    if (fetched == 0) return static_cast<int32_t>(message.wParam);
    // Only a bad window or record makes GetMessageA fail; neither is passed
    // here, but looping on a failure would never end.
    if (fetched == -1) return MESSAGE_LOOP_FAILED;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  return ::DefWindowProcA(static_cast<HWND>(window), message, first, second);
}

void EnumerateTopLevelWindows(WindowVisitor visitor, void* context) {
  EnumerationContext enumeration{visitor, context};
  ::EnumWindows(EnumerationTrampoline, reinterpret_cast<LPARAM>(&enumeration));
}

int32_t ReadWindowTitle(WindowHandle window, char* buffer, int32_t capacity) {
  if (capacity < 1) return 0;
  buffer[0] = '\0';
  const int copied = ::GetWindowTextA(static_cast<HWND>(window), buffer, capacity);
  if (copied <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  return copied;
}

void CloseNamedMutex(void* mutex) {
  const DWORD error = ::GetLastError();
  ::CloseHandle(static_cast<HANDLE>(mutex));
  ::SetLastError(error);
}

int CreateOwnedMutex(const char* name, UniqueNamedMutex& mutex) {
  // CreateMutexA leaves the last error alone when it makes a new mutex, so
  // an old ERROR_ALREADY_EXISTS must not be mistaken for this call's.
  ::SetLastError(ERROR_SUCCESS);
  HANDLE handle = ::CreateMutexA(nullptr, TRUE, name);
  if (handle == nullptr) return MUTEX_FAILED;
  const DWORD error = ::GetLastError();
  mutex.Reset(handle);
  return error == ERROR_ALREADY_EXISTS ? MUTEX_ALREADY_EXISTS : MUTEX_CREATED;
}

void ReleaseNamedMutex(void* mutex) { ::ReleaseMutex(static_cast<HANDLE>(mutex)); }

int QueryNonClientMetrics(NonClientMetrics& metrics) {
  NONCLIENTMETRICSA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NONCLIENT_METRICS_SIZE;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, NONCLIENT_METRICS_SIZE, &record, 0)) return 0;
  metrics.borderWidth = record.iBorderWidth;
  metrics.captionHeight = record.iCaptionHeight;
  metrics.paddedBorderWidth = record.iPaddedBorderWidth;
  return 1;
}

int32_t GetSystemMetric(int32_t index) { return ::GetSystemMetrics(index); }

}  // namespace platform
