// kernel32 file and device functions and PathFileExistsA over the simulated disk.
#include "machine.h"

#include <algorithm>
#include <cstring>

using namespace sim::detail;

namespace {

BOOL Finish(const char* function, std::vector<std::string> args, BOOL ok, DWORD error) {
  SetError(error);
  Record(function, std::move(args), Dec(ok));
  return ok;
}

// Where a path leads: the entry, or why there is none (2 missing file, 3 missing folder ...).
struct Lookup {
  std::string key;
  FileEntry* entry = nullptr;
  DWORD error = ERROR_SUCCESS;  // set when the path is unusable or its folder is missing
};

Lookup Find(const std::string& path) {
  Lookup found;
  found.key = PathKey(path);
  if (found.key.empty()) {
    found.error = PathError(path);
    return found;
  }
  auto& files = M().files;
  auto it = files.find(found.key);
  if (it != files.end()) {
    found.entry = &it->second;
    return found;
  }
  auto parent = files.find(ParentKey(found.key));
  if (parent == files.end() || !parent->second.directory) found.error = ERROR_PATH_NOT_FOUND;
  return found;
}

OpenFile* HandleFile(HANDLE handle) {
  auto it = M().openFiles.find(reinterpret_cast<uintptr_t>(handle));
  return it == M().openFiles.end() ? nullptr : &it->second;
}

std::string HandlePath(HANDLE handle) {
  OpenFile* file = HandleFile(handle);
  return file ? file->path : "(invalid " + HandleText(handle) + ")";
}

// Two opens of one file must each allow what the other does.
bool SharingAllows(const std::string& key, DWORD access, DWORD share) {
  for (const auto& entry : M().openFiles) {
    const OpenFile& other = entry.second;
    if (other.key != key) continue;
    if ((access & GENERIC_READ) && !(other.share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(other.share & FILE_SHARE_WRITE)) return false;
    if ((other.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((other.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
  }
  return true;
}

bool OpenWithoutDeleteSharing(const std::string& key) {
  for (const auto& entry : M().openFiles)
    if (entry.second.key == key && !(entry.second.share & FILE_SHARE_DELETE)) return true;
  return false;
}

HANDLE NewFileHandle(OpenFile file) {
  uintptr_t value = M().nextFile;
  M().nextFile += 4;
  M().openFiles[value] = std::move(file);
  return reinterpret_cast<HANDLE>(value);
}

HANDLE OpenDevice(const std::vector<std::string>& args, const std::string& path, DWORD access, DWORD share) {
  std::string name = Upper(path.substr(4));
  if (!M().devices.count(name)) {
    SetError(ERROR_FILE_NOT_FOUND);
    Record("CreateFileA", args, "INVALID_HANDLE_VALUE");
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = NewFileHandle(OpenFile{"\\\\.\\" + name, path, true, access, share, 0});
  SetError(ERROR_SUCCESS);
  Record("CreateFileA", args, path);
  return handle;
}

HANDLE FailCreate(const std::vector<std::string>& args, DWORD error) {
  SetError(error);
  Record("CreateFileA", args, "INVALID_HANDLE_VALUE");
  return INVALID_HANDLE_VALUE;
}

// Attributes a file takes when created: what was asked, with the archive bit Windows adds.
DWORD NewFileAttributes(DWORD flagsAndAttributes) {
  DWORD attributes = flagsAndAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                           FILE_ATTRIBUTE_TEMPORARY);
  return attributes | FILE_ATTRIBUTE_ARCHIVE;
}

}  // namespace

namespace sim::detail {

bool IsLoadedImageFile(const std::string& key) {
  for (const Module& module : M().modules)
    if (PathKey(module.path) == key) return true;
  return false;
}

}  // namespace sim::detail

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD flags, HANDLE) {
  std::string path = Str(name);
  std::vector<std::string> args{path, Hex(access), Hex(share), Dec(disposition), Hex(flags)};
  if (const sim::Fault* fault = TakeFault("CreateFileA", path)) return FailCreate(args, fault->error);
  if (name == nullptr || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
    return FailCreate(args, ERROR_INVALID_PARAMETER);
  if (IsDevicePath(path)) return OpenDevice(args, path, access, share);

  Lookup found = Find(path);
  if (found.error) return FailCreate(args, found.error);
  bool exists = found.entry != nullptr;
  bool writes = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0 || disposition == CREATE_ALWAYS ||
                disposition == TRUNCATE_EXISTING;
  if (exists && found.entry->directory) return FailCreate(args, ERROR_ACCESS_DENIED);
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    return FailCreate(args, ERROR_FILE_NOT_FOUND);
  if (exists && disposition == CREATE_NEW) return FailCreate(args, ERROR_FILE_EXISTS);
  if (exists && writes && (found.entry->attributes & FILE_ATTRIBUTE_READONLY))
    return FailCreate(args, ERROR_ACCESS_DENIED);
  if (exists && !SharingAllows(found.key, access, share)) return FailCreate(args, ERROR_SHARING_VIOLATION);
  // The file of a loaded module is mapped; Windows will not let it be written.
  if (exists && writes && IsLoadedImageFile(found.key)) return FailCreate(args, ERROR_SHARING_VIOLATION);

  if (!exists) {
    FileEntry& entry = M().files[found.key];
    entry.path = path;
    entry.attributes = NewFileAttributes(flags);
  } else if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
    found.entry->data.clear();
    if (disposition == CREATE_ALWAYS) found.entry->attributes = NewFileAttributes(flags);
  }
  HANDLE handle = NewFileHandle(OpenFile{found.key, path, false, access, share, 0});
  bool reportsExisting = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  SetError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  Record("CreateFileA", args, path);
  return handle;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED) {
  std::string path = HandlePath(handle);
  std::vector<std::string> args{path, Dec(size)};
  if (written) *written = 0;
  OpenFile* file = HandleFile(handle);
  if (file == nullptr) return Finish("WriteFile", args, FALSE, ERROR_INVALID_HANDLE);
  if (written == nullptr || (buffer == nullptr && size)) return Finish("WriteFile", args, FALSE, ERROR_INVALID_PARAMETER);
  if (!(file->access & (GENERIC_WRITE | GENERIC_ALL))) return Finish("WriteFile", args, FALSE, ERROR_ACCESS_DENIED);
  DWORD count = size;
  if (const sim::Fault* fault = TakeFault("WriteFile", file->path)) {
    if (fault->shortWriteBytes < 0) return Finish("WriteFile", args, FALSE, fault->error);
    count = std::min<DWORD>(size, static_cast<DWORD>(fault->shortWriteBytes));
  }
  if (!file->device) {
    std::vector<BYTE>& data = M().files[file->key].data;
    if (data.size() < file->position + count) data.resize(file->position + count);
    if (count) std::memcpy(data.data() + file->position, buffer, count);
    file->position += count;
  }
  *written = count;
  args.push_back(Dec(count));
  return Finish("WriteFile", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED) {
  std::string path = HandlePath(handle);
  std::vector<std::string> args{path, Dec(size)};
  if (read) *read = 0;
  OpenFile* file = HandleFile(handle);
  if (file == nullptr) return Finish("ReadFile", args, FALSE, ERROR_INVALID_HANDLE);
  if (read == nullptr || (buffer == nullptr && size)) return Finish("ReadFile", args, FALSE, ERROR_INVALID_PARAMETER);
  if (!(file->access & (GENERIC_READ | GENERIC_ALL))) return Finish("ReadFile", args, FALSE, ERROR_ACCESS_DENIED);
  if (const sim::Fault* fault = TakeFault("ReadFile", file->path)) return Finish("ReadFile", args, FALSE, fault->error);
  DWORD count = 0;
  if (!file->device) {
    const std::vector<BYTE>& data = M().files[file->key].data;
    if (file->position < data.size()) count = std::min<DWORD>(size, static_cast<DWORD>(data.size() - file->position));
    if (count) std::memcpy(buffer, data.data() + file->position, count);
    file->position += count;
  }
  *read = count;
  args.push_back(Dec(count));
  return Finish("ReadFile", args, TRUE, ERROR_SUCCESS);
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
  std::vector<std::string> args{HandlePath(handle), Dec(distance), Dec(method)};
  auto fail = [&](DWORD error) {
    SetError(error);
    Record("SetFilePointer", args, "INVALID_SET_FILE_POINTER");
    return INVALID_SET_FILE_POINTER;
  };
  OpenFile* file = HandleFile(handle);
  if (file == nullptr) return fail(ERROR_INVALID_HANDLE);
  if (const sim::Fault* fault = TakeFault("SetFilePointer", file->path)) return fail(fault->error);
  long long base = 0;
  if (method == FILE_CURRENT) base = static_cast<long long>(file->position);
  else if (method == FILE_END) base = file->device ? 0 : static_cast<long long>(M().files[file->key].data.size());
  else if (method != FILE_BEGIN) return fail(ERROR_INVALID_PARAMETER);
  long long target = base + distance;
  if (target < 0) return fail(131 /* ERROR_NEGATIVE_SEEK */);
  if (distanceHigh) *distanceHigh = 0;
  file->position = static_cast<size_t>(target);
  SetError(ERROR_SUCCESS);
  Record("SetFilePointer", args, Dec(target));
  return static_cast<DWORD>(target);
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD high) {
  OpenFile* file = HandleFile(handle);
  if (high) *high = 0;
  DWORD size = INVALID_FILE_SIZE;
  if (file == nullptr) SetError(ERROR_INVALID_HANDLE);
  else {
    size = file->device ? 0 : static_cast<DWORD>(M().files[file->key].data.size());
    SetError(ERROR_SUCCESS);
  }
  Record("GetFileSize", {HandlePath(handle)}, Dec(size));
  return size;
}

BOOL WINAPI SetEndOfFile(HANDLE handle) {
  OpenFile* file = HandleFile(handle);
  if (file == nullptr) return Finish("SetEndOfFile", {HandlePath(handle)}, FALSE, ERROR_INVALID_HANDLE);
  if (!file->device) M().files[file->key].data.resize(file->position);
  return Finish("SetEndOfFile", {file->path}, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
  return Finish("FlushFileBuffers", {HandlePath(handle)}, HandleFile(handle) ? TRUE : FALSE,
                HandleFile(handle) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  if (reinterpret_cast<uintptr_t>(handle) == kTokenHandleValue && M().tokenOpened) {
    M().tokenOpened = false;
    return Finish("CloseHandle", {"(token)"}, TRUE, ERROR_SUCCESS);
  }
  std::string path = HandlePath(handle);
  if (const sim::Fault* fault = TakeFault("CloseHandle", path)) return Finish("CloseHandle", {path}, FALSE, fault->error);
  if (M().openFiles.erase(reinterpret_cast<uintptr_t>(handle)) == 0)
    return Finish("CloseHandle", {path}, FALSE, ERROR_INVALID_HANDLE);
  return Finish("CloseHandle", {path}, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
  std::string path = Str(name);
  if (const sim::Fault* fault = TakeFault("DeleteFileA", path)) return Finish("DeleteFileA", {path}, FALSE, fault->error);
  Lookup found = Find(path);
  if (found.error) return Finish("DeleteFileA", {path}, FALSE, found.error);
  if (!found.entry) return Finish("DeleteFileA", {path}, FALSE, ERROR_FILE_NOT_FOUND);
  if (found.entry->directory || (found.entry->attributes & FILE_ATTRIBUTE_READONLY) || IsLoadedImageFile(found.key))
    return Finish("DeleteFileA", {path}, FALSE, ERROR_ACCESS_DENIED);
  if (OpenWithoutDeleteSharing(found.key)) return Finish("DeleteFileA", {path}, FALSE, ERROR_SHARING_VIOLATION);
  M().files.erase(found.key);
  return Finish("DeleteFileA", {path}, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes) {
  std::string path = Str(name);
  std::vector<std::string> args{path, Hex(attributes)};
  if (const sim::Fault* fault = TakeFault("SetFileAttributesA", path))
    return Finish("SetFileAttributesA", args, FALSE, fault->error);
  Lookup found = Find(path);
  if (found.error) return Finish("SetFileAttributesA", args, FALSE, found.error);
  if (!found.entry) return Finish("SetFileAttributesA", args, FALSE, ERROR_FILE_NOT_FOUND);
  DWORD kept = attributes & ~FILE_ATTRIBUTE_DIRECTORY;
  if (kept == 0) kept = FILE_ATTRIBUTE_NORMAL;
  if (kept != FILE_ATTRIBUTE_NORMAL) kept &= ~FILE_ATTRIBUTE_NORMAL;
  found.entry->attributes = found.entry->directory ? (kept & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_DIRECTORY : kept;
  return Finish("SetFileAttributesA", args, TRUE, ERROR_SUCCESS);
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  std::string path = Str(name);
  DWORD result = INVALID_FILE_ATTRIBUTES;
  Lookup found = Find(path);
  if (const sim::Fault* fault = TakeFault("GetFileAttributesA", path)) SetError(fault->error);
  else if (found.error) SetError(found.error);
  else if (!found.entry) SetError(ERROR_FILE_NOT_FOUND);
  else {
    result = found.entry->attributes;
    SetError(ERROR_SUCCESS);
  }
  Record("GetFileAttributesA", {path}, Hex(result));
  return result;
}

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) {
  std::string path = Str(name);
  if (const sim::Fault* fault = TakeFault("CreateDirectoryA", path))
    return Finish("CreateDirectoryA", {path}, FALSE, fault->error);
  Lookup found = Find(path);
  if (found.error) return Finish("CreateDirectoryA", {path}, FALSE, found.error);
  if (found.entry) return Finish("CreateDirectoryA", {path}, FALSE, ERROR_ALREADY_EXISTS);
  FileEntry& entry = M().files[found.key];
  entry.path = path;
  entry.directory = true;
  entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
  return Finish("CreateDirectoryA", {path}, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI RemoveDirectoryA(LPCSTR name) {
  std::string path = Str(name);
  if (const sim::Fault* fault = TakeFault("RemoveDirectoryA", path))
    return Finish("RemoveDirectoryA", {path}, FALSE, fault->error);
  Lookup found = Find(path);
  if (found.error) return Finish("RemoveDirectoryA", {path}, FALSE, found.error);
  if (!found.entry) return Finish("RemoveDirectoryA", {path}, FALSE, ERROR_FILE_NOT_FOUND);
  if (!found.entry->directory) return Finish("RemoveDirectoryA", {path}, FALSE, 267 /* ERROR_DIRECTORY */);
  for (const auto& entry : M().files)
    if (ParentKey(entry.first) == found.key) return Finish("RemoveDirectoryA", {path}, FALSE, ERROR_DIR_NOT_EMPTY);
  M().files.erase(found.key);
  return Finish("RemoveDirectoryA", {path}, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  std::vector<std::string> args{Str(from), Str(to), Dec(failIfExists)};
  if (const sim::Fault* fault = TakeFault("CopyFileA", Str(to))) return Finish("CopyFileA", args, FALSE, fault->error);
  Lookup source = Find(Str(from));
  if (source.error) return Finish("CopyFileA", args, FALSE, source.error);
  if (!source.entry) return Finish("CopyFileA", args, FALSE, ERROR_FILE_NOT_FOUND);
  if (source.entry->directory) return Finish("CopyFileA", args, FALSE, ERROR_ACCESS_DENIED);
  Lookup target = Find(Str(to));
  if (target.error) return Finish("CopyFileA", args, FALSE, target.error);
  if (target.entry && failIfExists) return Finish("CopyFileA", args, FALSE, ERROR_FILE_EXISTS);
  if (target.entry && (target.entry->directory || (target.entry->attributes & FILE_ATTRIBUTE_READONLY) ||
                       IsLoadedImageFile(target.key)))
    return Finish("CopyFileA", args, FALSE, ERROR_ACCESS_DENIED);
  if (target.entry && !SharingAllows(target.key, GENERIC_WRITE, 0))
    return Finish("CopyFileA", args, FALSE, ERROR_SHARING_VIOLATION);
  FileEntry copy = *source.entry;
  copy.path = Str(to);
  copy.attributes |= FILE_ATTRIBUTE_ARCHIVE;
  copy.attributes &= ~FILE_ATTRIBUTE_NORMAL;
  M().files[target.key] = copy;
  return Finish("CopyFileA", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
  std::vector<std::string> args{Str(from), Str(to)};
  if (const sim::Fault* fault = TakeFault("MoveFileA", Str(from))) return Finish("MoveFileA", args, FALSE, fault->error);
  Lookup source = Find(Str(from));
  if (source.error) return Finish("MoveFileA", args, FALSE, source.error);
  if (!source.entry) return Finish("MoveFileA", args, FALSE, ERROR_FILE_NOT_FOUND);
  if (source.entry->directory || IsLoadedImageFile(source.key)) return Finish("MoveFileA", args, FALSE, ERROR_ACCESS_DENIED);
  Lookup target = Find(Str(to));
  if (target.error) return Finish("MoveFileA", args, FALSE, target.error);
  if (target.entry) return Finish("MoveFileA", args, FALSE, ERROR_ALREADY_EXISTS);
  FileEntry moved = *source.entry;
  moved.path = Str(to);
  M().files.erase(source.key);
  M().files[target.key] = moved;
  return Finish("MoveFileA", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI PathFileExistsA(LPCSTR name) {
  std::string path = Str(name);
  BOOL exists = FALSE;
  if (const sim::Fault* fault = TakeFault("PathFileExistsA", path)) SetError(fault->error);
  else if (name != nullptr && !IsDevicePath(path)) {
    Lookup found = Find(path);
    exists = found.entry != nullptr;
    SetError(exists ? ERROR_SUCCESS : (found.error ? found.error : ERROR_FILE_NOT_FOUND));
  } else {
    SetError(ERROR_FILE_NOT_FOUND);
  }
  Record("PathFileExistsA", {path}, Dec(exists));
  return exists;
}

}  // extern "C"
