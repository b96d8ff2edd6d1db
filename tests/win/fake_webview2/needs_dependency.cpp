// A client library that imports from a library of its own (and has no
// creation function): where the loader looks for that library shows.
#include <windows.h>

extern "C" __declspec(dllimport) int PellaroPlantedDependency();

extern "C" __declspec(dllexport) int PellaroNeedsDependency() { return PellaroPlantedDependency(); }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
