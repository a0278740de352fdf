// The Windows entry of BrevikSetup.exe: hands the command line's tail to the
// portable start-up and ends the process with what it answers.
#include <windows.h>

#include "app/application_main.h"
#include "app/parse_options.h"

// The command line the C runtime passes is not used: the tail is cut from
// the system's own line by the program's rule. The previous instance and the
// show state are not used either.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return app::ApplicationMain(instance, app::CommandLineTail(::GetCommandLineA()));
}
