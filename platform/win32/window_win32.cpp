// Win32 side of the window seam: one user-interface call (or a short fixed
// sequence) per operation, and the trampoline that hands the system's
// messages to the portable window procedure.
#include "platform/window.h"

#include <windows.h>

#include <cstring>
#include <new>

namespace platform {

static_assert(CLASS_REDRAW_ON_WIDTH == CS_HREDRAW && CLASS_REDRAW_ON_HEIGHT == CS_VREDRAW);
static_assert(SHOW_HIDE == SW_HIDE && SHOW_SHOW == SW_SHOW);
static_assert(PLACE_NO_MOVE == SWP_NOMOVE && PLACE_SHOW_WINDOW == SWP_SHOWWINDOW);
static_assert(POSITION_DEFAULT == static_cast<int32_t>(CW_USEDEFAULT));
static_assert(sizeof(PAINTSTRUCT) <= PAINT_RECORD_SIZE && alignof(PAINTSTRUCT) <= 8);

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

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  return ::DefWindowProcA(static_cast<HWND>(window), message, first, second);
}

// DisableProcessWindowsGhosting came with XP's service packs, so it is
// looked up rather than imported; user32 is loaded already.
void KeepWindowsFromGhosting() {
  using DisableGhostingFunction = void(WINAPI*)();
  const HMODULE user = ::GetModuleHandleA("user32.dll");
  if (user == nullptr) return;
  const auto disable = reinterpret_cast<DisableGhostingFunction>(
      reinterpret_cast<void*>(::GetProcAddress(user, "DisableProcessWindowsGhosting")));
  if (disable != nullptr) disable();
}

}  // namespace platform
