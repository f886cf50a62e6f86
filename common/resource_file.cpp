#include "resource_file.h"

#include <string.h>

#include "bounded_path.h"
#include "unique_handle.h"

static int FailWithMessage(const char* text)
{
    MessageBoxA(NULL, text, "", MB_OK);
    return 0;
}

static int FailCreate(const char* path, DWORD error)
{
    // 512 bytes hold the fixed words, a 254-character path and any code.
    char shownPath[kPathBufferSize];
    CopyForDisplay(shownPath, sizeof shownPath, path);
    char message[512];
    wsprintfA(message, "Create '%s' error!:win error code:%d", shownPath, static_cast<int>(error));
    return FailWithMessage(message);
}

int WriteResourceFile(HMODULE module, LPCSTR name, LPCSTR path)
{
    HRSRC resource = FindResourceA(module, name, "ResFile");
    if (resource == NULL)
        return 0;
    const DWORD size = SizeofResource(module, resource);
    if (size == 0)
        return 0;
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == NULL)
        return 0;
    const void* bytes = LockResource(loaded);
    if (bytes == NULL)
        return 0;

    if (strlen(path) >= kPathBufferSize)
        return FailCreate(path, ERROR_FILENAME_EXCED_RANGE);

    UniqueFile file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.valid())
        return FailCreate(path, GetLastError());

    DWORD written = 0;
    if (!WriteFile(file.get(), bytes, size, &written, NULL)) {
        file.reset();
        return FailWithMessage("Write File error!");
    }
    if (written != size) {
        file.reset();
        return FailWithMessage("File size error!");
    }
    return 1;
}
