// Win32 side of the clock: GetSystemTime and GetTickCount.
#include "platform/clock.h"

#include <windows.h>

namespace platform {

void ReadUtcTime(UtcTime& time) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  time = UtcTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

uint32_t MillisecondCounter() { return GetTickCount(); }

}  // namespace platform
