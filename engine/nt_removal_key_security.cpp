// Forced deletion of a registry tree whose keys may refuse access: every key is first given a NULL DACL.
#include "nt_removal.h"

#include <windows.h>
#include <shlwapi.h>

#include "unique_handle.h"

namespace {

bool OpenForEnumeration(HKEY parent, const char* subKey, UniqueKey& key)
{
    return RegOpenKeyExA(parent, subKey, 0, KEY_ENUMERATE_SUB_KEYS, key.out()) == ERROR_SUCCESS;
}

}  // namespace

int ResetKeySecurity(HKEY parent, const char* subKey)
{
    UniqueKey key;
    if (RegOpenKeyExA(parent, subKey, 0, WRITE_DAC, key.out()) != ERROR_SUCCESS)
        return 0;
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION))
        return 0;
    if (!SetSecurityDescriptorDacl(&descriptor, TRUE, NULL, FALSE))
        return 0;
    return RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS ? 1 : 0;
}

int OpenKeyTreeSecurity(HKEY parent, const char* subKey)
{
    UniqueKey key;
    bool alreadyReset = false;
    if (!OpenForEnumeration(parent, subKey, key)) {
        // A key that refuses enumeration still lets its owner change the DACL; opening it up first
        // keeps its whole subtree from surviving the deletion.
        if (!ResetKeySecurity(parent, subKey) || !OpenForEnumeration(parent, subKey, key))
            return 0;
        alreadyReset = true;
    }

    // Only security changes here, never deletions, so the indices stay valid.
    for (DWORD index = 0;; ++index) {
        char name[260];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        OpenKeyTreeSecurity(key.get(), name);
    }
    key.reset();

    if (!alreadyReset)
        ResetKeySecurity(parent, subKey);
    return 1;
}

int DeleteKeyTreeForced(const char* keyPath)
{
    UniqueKey key;
    const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, key.out());
    // A key that exists but refuses reading is exactly what the forced walk is for.
    if (opened != ERROR_SUCCESS && opened != ERROR_ACCESS_DENIED)
        return 1;
    OpenKeyTreeSecurity(HKEY_LOCAL_MACHINE, keyPath);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    return 1;
}
