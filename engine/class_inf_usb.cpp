// The class-INF USB driver set and the DOS-capable installation.
#include "class_inf_usb.h"

#include <stdlib.h>
#include <string.h>

#include "bounded_path.h"
#include "deploy_paths.h"
#include "engine_state.h"
#include "kernel_services.h"
#include "pnp_install.h"
#include "system_paths.h"
#include "unique_handle.h"

static const char kUsbDriver[] = "TavrUsb.sys";
static const char kUsbInf[] = "TavrUsb.inf";
static const char kCopyDirective[] = "CopyFiles";

namespace {

// malloc rather than new: the engine is built without exceptions and must fail softly when memory is short.
struct HeapBuffer {
    explicit HeapBuffer(DWORD size) : bytes(static_cast<char*>(malloc(size != 0 ? size : 1))) {}
    ~HeapBuffer() { free(bytes); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;
    char* bytes;
};

} // namespace

// The buffer is file content, not a string: a directive is only matched where all of its bytes lie
// inside the buffer, so a file ending in a partial word is neither read past nor changed.
static void CommentOutCopyDirectives(char* bytes, DWORD size)
{
    const DWORD length = sizeof kCopyDirective - 1;
    for (DWORD offset = 0; offset + length <= size; ++offset)
        if (bytes[offset] == 'C' && memcmp(bytes + offset, kCopyDirective, length) == 0)
            bytes[offset] = ';';
}

int DisableCopyFilesInPlace(const char* infPath)
{
    SetFileAttributesA(infPath, FILE_ATTRIBUTE_NORMAL);
    UniqueFile inf(CreateFileA(infPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               NULL));
    if (!inf.valid())
        return 0;
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(inf.get(), &sizeHigh);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || sizeHigh != 0)
        return 0;
    HeapBuffer buffer(size);
    if (buffer.bytes == NULL)
        return 0;
    // Anything short of the whole file would be written back over the INF with unread bytes in it.
    DWORD read = 0;
    if (!ReadFile(inf.get(), buffer.bytes, size, &read, NULL) || read != size)
        return 0;
    CommentOutCopyDirectives(buffer.bytes, size);
    if (SetFilePointer(inf.get(), 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return 0;
    DWORD written = 0;
    if (!WriteFile(inf.get(), buffer.bytes, size, &written, NULL) || written != size)
        return 0;
    return 1;
}

int InstallClassInfUsb(BYTE* needsRestart)
{
    if (EngineSettings.SupportUsb == 0)
        return 1;
    char driverPath[kPathBufferSize];
    char infPath[kPathBufferSize];
    if (!DriversDirPath(driverPath, kUsbDriver) || !WindowsDirPath(infPath, "\\inf\\", kUsbInf))
        return 0;
    if (!ExtractPayloadFile(kUsbDriver, driverPath))
        return 0;
    if (!ExtractPayloadFile(kUsbInf, infPath))
        return 0;
    if (!DisableCopyFilesInPlace(infPath))
        return 0;
    *needsRestart = 0;
    return 1;
}

// Staging directory + "\" + name, with the staging directory created when missing.
static int StagingPath(char* out, const char* name)
{
    char staging[kPathBufferSize];
    if (!WindowsDirPath(staging, "\\Temp") || !EnsureDirectory(staging))
        return 0;
    return ComposePath(out, kPathBufferSize, staging, "\\", name);
}

int InstallDosSupport(BYTE* needsRestart)
{
    BYTE serviceRestart = 0;
    if (!InstallParallelService(&serviceRestart))
        return 0;
    if (serviceRestart == 1)
        *needsRestart = 1;
    if (!InstallClassInfUsb(&serviceRestart))
        return 0;
    if (*needsRestart == 0)
        *needsRestart = serviceRestart;

    char stagedDriver[kPathBufferSize];
    if (!StagingPath(stagedDriver, kUsbDriver) || !ExtractPayloadFile(kUsbDriver, stagedDriver))
        return 0;
    char stagedInf[kPathBufferSize];
    if (!StagingPath(stagedInf, kUsbInf) || !ExtractPayloadFile(kUsbInf, stagedInf))
        return 0;
    // The staged INF is the unedited one: it is what the driver update installs from, whatever the USB option.
    if (SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices != NULL) {
        BOOL rebootRequired = FALSE;
        UpdateUsbDriver(stagedInf, kPathBufferSize, &rebootRequired);
    }
    *needsRestart = 1;
    return 1;
}

bool BeginsWith(const char* text, const char* prefix)
{
    while (*prefix != '\0') {
        if (*text != *prefix)
            return false;
        ++text;
        ++prefix;
    }
    return true;
}
