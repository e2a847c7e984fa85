// The program's entry point.
#include <windows.h>

#include "shell/mainwindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  return RunReader(instance, showCommand);
}
