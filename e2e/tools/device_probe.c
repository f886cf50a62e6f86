/* Opens the device \\.\NAME as the engine's detection does (read and write, no sharing, existing only)
 * and prints "open" or "absent <win error>". Exit code 0 when it opened, 1 when not, 2 on bad usage. */
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    char path[MAX_PATH];
    if (argc != 2 || _snprintf(path, sizeof path, "\\\\.\\%s", argv[1]) < 0) {
        printf("usage: device_probe.exe NAME\n");
        return 2;
    }
    path[sizeof path - 1] = '\0';
    HANDLE device = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (device == INVALID_HANDLE_VALUE) {
        printf("absent %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(device);
    printf("open\n");
    return 0;
}
