/* Loads a library by the name given, bare or full, the way a careless program would, and prints the
 * file that was loaded: "LOADED <path>" or "FAILED <win error>". Shows that a planted library's marker
 * does appear when the library is loaded. */
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        printf("usage: load_library.exe NAME\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) {
        printf("FAILED %lu\n", GetLastError());
        return 1;
    }
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, MAX_PATH);
    printf("LOADED %s\n", path);
    FreeLibrary(module);
    return 0;
}
