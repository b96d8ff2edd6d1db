// A client library without the creation function, for the loader's
// missing-export case.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
