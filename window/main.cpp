#include <windows.h>

#include "program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return vornelle::RunProgram(instance);
}
