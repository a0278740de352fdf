// Brevik, the sample companion application of the Mireline virtual audio
// driver: one window naming the product and its maker, with a Close button.
//
// Its title begins with "Kelvane Brevik" on purpose: the setup program posts
// WM_DESTROY to every such window when it starts, so a running Brevik ends
// before its files are replaced or removed. WM_DESTROY therefore ends the
// program whether the window was really destroyed or the message was posted.
#include <windows.h>

namespace payload {
namespace {

constexpr const char* WINDOW_CLASS = "KelvaneBrevikCompanionWindow";
constexpr const char* WINDOW_TITLE = "Kelvane Brevik";
constexpr const char* PRODUCT_LINE = "Brevik";
constexpr const char* MAKER_LINE = "by Kelvane";
constexpr const char* ABOUT_LINE = "The sample companion application of the Mireline virtual audio driver.";
constexpr const char* VERSION_LINE = "Version 1.0.0.7";

constexpr int ICON_RESOURCE = 1;  // brevik.rc
constexpr int CLOSE_BUTTON_ID = 100;
constexpr int CLIENT_WIDTH = 460;
constexpr int CLIENT_HEIGHT = 210;
constexpr int MARGIN = 20;
constexpr int BAND_HEIGHT = 70;
constexpr int BUTTON_WIDTH = 90;
constexpr int BUTTON_HEIGHT = 28;
constexpr COLORREF BAND_COLOUR = RGB(0x26, 0x46, 0x53);
constexpr COLORREF BAND_TEXT_COLOUR = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF TEXT_COLOUR = RGB(0x20, 0x20, 0x20);

// GDI objects the window draws with, owned by WinMain and deleted after the
// window is gone.
struct Fonts {
  HFONT title = nullptr;
  HFONT body = nullptr;
  ~Fonts() {
    if (title != nullptr) DeleteObject(title);
    if (body != nullptr) DeleteObject(body);
  }
};

HFONT MakeFont(int height, int weight) {
  return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

// Draws `text` in `rect` with `font`, restoring the font it found.
void DrawLine(HDC dc, HFONT font, const char* text, RECT rect, UINT format) {
  const HGDIOBJ previous = SelectObject(dc, font);
  DrawTextA(dc, text, -1, &rect, format | DT_NOPREFIX);
  SelectObject(dc, previous);
}

void Paint(HWND window, const Fonts& fonts) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);

  RECT band = {0, 0, client.right, BAND_HEIGHT};
  const HBRUSH bandBrush = CreateSolidBrush(BAND_COLOUR);
  FillRect(dc, &band, bandBrush);
  DeleteObject(bandBrush);

  const HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ICON_RESOURCE), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  if (icon != nullptr) {
    DrawIconEx(dc, MARGIN, (BAND_HEIGHT - 32) / 2, icon, 32, 32, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
  }

  const int previousMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF previousColour = SetTextColor(dc, BAND_TEXT_COLOUR);
  DrawLine(dc, fonts.title, PRODUCT_LINE, RECT{MARGIN + 44, 0, client.right - MARGIN, BAND_HEIGHT},
           DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  DrawLine(dc, fonts.body, MAKER_LINE, RECT{MARGIN, 0, client.right - MARGIN, BAND_HEIGHT},
           DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(dc, TEXT_COLOUR);
  DrawLine(dc, fonts.body, ABOUT_LINE, RECT{MARGIN, BAND_HEIGHT + 16, client.right - MARGIN, BAND_HEIGHT + 60},
           DT_LEFT | DT_WORDBREAK);
  DrawLine(dc, fonts.body, VERSION_LINE, RECT{MARGIN, BAND_HEIGHT + 64, client.right - MARGIN, BAND_HEIGHT + 84},
           DT_LEFT | DT_SINGLELINE);
  SetTextColor(dc, previousColour);
  SetBkMode(dc, previousMode);

  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      const HWND button = CreateWindowExA(
          0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, CLIENT_WIDTH - MARGIN - BUTTON_WIDTH,
          CLIENT_HEIGHT - MARGIN - BUTTON_HEIGHT, BUTTON_WIDTH, BUTTON_HEIGHT, window,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(CLOSE_BUTTON_ID)), create->hInstance, nullptr);
      const auto* fonts = static_cast<const Fonts*>(create->lpCreateParams);
      if (button != nullptr) SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->body), FALSE);
      return 0;
    }
    case WM_COMMAND:
      // The button, and Enter or Escape through IsDialogMessage.
      if (LOWORD(wParam) == CLOSE_BUTTON_ID || LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_PAINT: {
      const auto* fonts = reinterpret_cast<const Fonts*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      if (fonts != nullptr) {
        Paint(window, *fonts);
        return 0;
      }
      break;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int RunBrevik(HINSTANCE instance, int show) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(ICON_RESOURCE));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(ICON_RESOURCE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = WINDOW_CLASS;
  if (RegisterClassExA(&windowClass) == 0) return 1;

  Fonts fonts;
  fonts.title = MakeFont(30, FW_BOLD);
  fonts.body = MakeFont(15, FW_NORMAL);

  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  const HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, WINDOW_CLASS, WINDOW_TITLE, style, CW_USEDEFAULT,
                                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                      nullptr, instance, &fonts);
  if (window == nullptr) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  int status;
  while ((status = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // A posted WM_DESTROY ends the loop with the window still there.
  if (IsWindow(window)) DestroyWindow(window);
  return status < 0 ? 1 : static_cast<int>(message.wParam);
}

}  // namespace
}  // namespace payload

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) { return payload::RunBrevik(instance, show); }
