// The one application state record, cleared at start-up and passed by
// reference to every subsystem that needs it.
#pragma once

#include <atomic>
#include <cstdint>

#include "package/package_format.h"
#include "platform/handles.h"

namespace app {

// Buffer sizes of the record's texts, terminating zero included.
inline constexpr uint32_t MODULE_PATH_SIZE = 1024;
inline constexpr uint32_t TARGET_FOLDER_SIZE = 1024;
inline constexpr uint32_t FAILURE_CAPTION_SIZE = 512;
inline constexpr uint32_t FAILURE_TEXT_SIZE = 2048;
inline constexpr uint32_t STATUS_TEXT_SIZE = 1024;

// Operating-system classes (see probe::GetOsClass).
using OsClass = int32_t;

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct AppState {
  platform::WindowHandle mainWindow;
  platform::ModuleHandle instance;
  int32_t is64BitHost;
  char modulePath[MODULE_PATH_SIZE];
  platform::TimerId timerId;
  OsClass osClass;
  int32_t installed;
  char targetFolder[TARGET_FOLDER_SIZE];
  package::PackageTable packageTable;
  Rect buttonRect;
  int32_t blinkCount;
  platform::BitmapHandle backgroundBitmap;
  int32_t bitmapWidth;
  int32_t bitmapHeight;
  platform::CursorHandle handCursor;
  platform::FontHandle smallFont;
  platform::FontHandle largeFont;
  platform::ThreadHandle workerThread;
  uint32_t workerThreadId;
  // Written by the worker as its last act and read by the window's thread.
  std::atomic<int32_t> busy;
  int32_t result;
  char failureCaption[FAILURE_CAPTION_SIZE];
  char failureText[FAILURE_TEXT_SIZE];
  char statusText[STATUS_TEXT_SIZE];
};

// Clears every field to zero.
void ClearAppState(AppState& state);

}  // namespace app
