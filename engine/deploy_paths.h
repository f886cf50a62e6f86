// Paths of the deployment operations, each built in a caller's buffer of kPathBufferSize bytes.
// A path that would not fit is never shortened: the function returns 0 and the caller treats the
// file as unusable (an installation fails, a removal skips it).
//   WindowsDirPath(out, tail, name)  the Windows directory (GetWindowsDirectoryA) + tail + name
//   DriversDirPath(out, name)        the system32 directory + "\drivers\" + name
//   SystemDirPath(out, name)         the system directory (GetSystemDirectoryA) + "\" + name
//   DeleteFileForced(path)           clears the attributes, then deletes; failures are ignored
#ifndef TAVREL_ENGINE_DEPLOY_PATHS_H
#define TAVREL_ENGINE_DEPLOY_PATHS_H

int WindowsDirPath(char* out, const char* tail, const char* name = "");
int DriversDirPath(char* out, const char* name);
int SystemDirPath(char* out, const char* name);
void DeleteFileForced(const char* path);

#endif
