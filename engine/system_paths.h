// Payload files and the directories they go to.
//   ExtractPayloadFile(name, path)  writes the engine's "RESFILE" resource `name` to `path` (see
//                                   common/resource_file.h for the messages); 1 written, 0 failed.
//   GetSystem32Path(out, size)      out = the Windows directory (parent of the system directory) + "\system32";
//                                   0 when out is null or the directory cannot be derived or does not fit.
//   EnsureDirectory(path)           1 when the path exists (a file counts) or its last directory was created.
#ifndef TAVREL_ENGINE_SYSTEM_PATHS_H
#define TAVREL_ENGINE_SYSTEM_PATHS_H

#include <stddef.h>

int ExtractPayloadFile(const char* resourceName, const char* path);
int GetSystem32Path(char* out, size_t size);
int EnsureDirectory(const char* path);

#endif
