// The application state record.
#include "app/app_state.h"

#include <cstring>

namespace app {

void ClearAppState(AppState& state) {
  // The record holds an atomic, so it is cleared field by field rather than
  // with one memset over the whole object.
  state.mainWindow = nullptr;
  state.instance = nullptr;
  state.is64BitHost = 0;
  std::memset(state.modulePath, 0, sizeof state.modulePath);
  state.timerId = 0;
  state.osClass = 0;
  state.installed = 0;
  std::memset(state.targetFolder, 0, sizeof state.targetFolder);
  std::memset(state.packageTable.bytes, 0, sizeof state.packageTable.bytes);
  state.buttonRect = {};
  state.blinkCount = 0;
  state.backgroundBitmap = nullptr;
  state.bitmapWidth = 0;
  state.bitmapHeight = 0;
  state.handCursor = nullptr;
  state.smallFont = nullptr;
  state.largeFont = nullptr;
  state.workerThread = nullptr;
  state.workerThreadId = 0;
  state.busy.store(0);
  state.result = 0;
  std::memset(state.failureCaption, 0, sizeof state.failureCaption);
  std::memset(state.failureText, 0, sizeof state.failureText);
  std::memset(state.statusText, 0, sizeof state.statusText);
}

}  // namespace app
