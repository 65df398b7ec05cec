#include <windows.h>

#include "app/app_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { AppMain(); }
