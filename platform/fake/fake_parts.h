// The start state of each part of the fake, for fake::Reset, which sets them
// all at once; tests call fake::Reset (fake_platform.h). The parts that a
// test may restart alone within a test are declared in their own headers.
#pragma once

namespace platform::fake {

void ResetThreads();  // joins the real threads first
void ResetFileSystem();
void ResetFolders();
void ResetPackage();
void ResetSystem();
void ResetDevices();
void ResetEnvironment();
void ResetClock();
void ResetSystemErrors();
void ResetHeld();
void ResetMessages();
void ResetFileCopy();
void ResetCanvas();
void ResetWindow();
void ResetMessageBoxes();
void ResetDesktop();
void ResetShell();
void ResetMutexes();
void ResetMetrics();
void ResetCallLog();
// Takes the lines of one seam out of the call log.
void ForgetCallsOf(const char* seam);

}  // namespace platform::fake
