// A library that a client library needs, for the loader's search-path case:
// placed in the current folder or on PATH it must never be loaded.
#include <windows.h>

extern "C" __declspec(dllexport) int PellaroPlantedDependency() { return 42; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
