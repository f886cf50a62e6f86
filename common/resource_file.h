// Writing a file carried as a resource of type "RESFILE".
//
//   WriteResourceFile(module, name, path)
//     Writes the resource `name` (type looked up as "ResFile"; names and types match without regard to case)
//     of `module` to `path`, replacing a file that is there. Returns 1 when every byte was written, else 0.
//     - resource missing, empty or not loadable: 0, no message;
//     - file not created: "Create '<path>' error!:win error code:<GetLastError>" (a path longer than
//       254 characters is not tried: code ERROR_FILENAME_EXCED_RANGE);
//     - WriteFile failed: "Write File error!";  fewer bytes written than the resource holds: "File size error!".
//     Each message is a box with no owner, an empty caption and MB_OK, shown whatever the caller's options;
//     a partly written file stays on disk.
// The host writes the engine with it, the engine its driver payload.
#ifndef TAVREL_COMMON_RESOURCE_FILE_H
#define TAVREL_COMMON_RESOURCE_FILE_H

#include <windows.h>

int WriteResourceFile(HMODULE module, LPCSTR name, LPCSTR path);

#endif
