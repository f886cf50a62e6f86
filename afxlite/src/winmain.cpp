// The entry point of a program built on this layer. Compiled into the executable itself (not the
// static library) so that the linker always finds it.
#include "afxlite/app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
