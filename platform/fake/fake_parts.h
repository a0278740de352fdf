// The start state of each part of the fake, for fake::Reset, which sets them
// all at once; tests call fake::Reset (fake_platform.h). The parts that a
// test may restart alone within a test are declared in their own headers.
#pragma once

namespace platform::fake {

void ResetThreads();  // joins the real threads first
void ResetFileSystem();
void ResetHeld();
void ResetMessages();
void ResetFileCopy();
void ResetCanvas();
void ResetWindow();

}  // namespace platform::fake
