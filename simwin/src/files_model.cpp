// The simulated disk: drive C: only, paths without regard to case, and its test control.
#include "machine.h"

#include <cctype>

namespace sim {

using namespace detail;

namespace {

const char kInvalidNameChars[] = "<>\"|?*";

// Splits an absolute or relative path into the components below "C:"; false when unusable.
bool Components(const std::string& path, std::vector<std::string>* parts, DWORD* error) {
  if (path.size() >= MAX_PATH) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  std::string text = path;
  for (char& c : text)
    if (c == '/') c = '\\';
  std::string rest;
  if (text.size() >= 2 && text[1] == ':') {
    if (toupper(static_cast<unsigned char>(text[0])) != 'C') {
      *error = ERROR_PATH_NOT_FOUND;
      return false;
    }
    rest = text.substr(2);
  } else {
    // A relative path is taken from the current folder, which is the executable's folder here.
    std::string exe = M().exePath;
    rest = exe.substr(2, exe.rfind('\\') - 2) + "\\" + text;
  }
  std::string part;
  auto flush = [&]() -> bool {
    if (part.empty() || part == ".") {
    } else if (part == "..") {
      if (!parts->empty()) parts->pop_back();
    } else if (part.find_first_of(kInvalidNameChars) != std::string::npos || part.find(':') != std::string::npos) {
      *error = ERROR_INVALID_NAME;
      return false;
    } else {
      parts->push_back(part);
    }
    part.clear();
    return true;
  };
  for (char c : rest) {
    if (c == '\\') {
      if (!flush()) return false;
    } else {
      part += c;
    }
  }
  return flush();
}

void MakeDirectoryKey(const std::string& key, const std::string& path) {
  FileEntry& entry = M().files[key];
  entry.path = path;
  entry.directory = true;
  entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
  entry.data.clear();
}

}  // namespace

namespace detail {

std::string PathKey(const std::string& path) {
  std::vector<std::string> parts;
  DWORD error = 0;
  if (!Components(path, &parts, &error)) return "";
  std::string key = "C:";
  for (const std::string& part : parts) key += "\\" + Upper(part);
  return key;
}

DWORD PathError(const std::string& path) {
  std::vector<std::string> parts;
  DWORD error = ERROR_SUCCESS;
  Components(path, &parts, &error);
  return error;
}

std::string ParentKey(const std::string& key) {
  size_t slash = key.rfind('\\');
  return slash == std::string::npos ? "" : key.substr(0, slash);
}

std::string FileName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDevicePath(const std::string& path) { return path.rfind("\\\\.\\", 0) == 0; }

FileEntry* FindEntry(const std::string& path) {
  std::string key = PathKey(path);
  auto it = M().files.find(key);
  return key.empty() || it == M().files.end() ? nullptr : &it->second;
}

void ResetFiles() {
  M().files.clear();
  MakeDirectoryKey("C:", "C:");
}

}  // namespace detail

void PutFile(const std::string& path, const std::string& content, DWORD attributes) {
  PutFile(path, std::vector<BYTE>(content.begin(), content.end()), attributes);
}

void PutFile(const std::string& path, const std::vector<BYTE>& content, DWORD attributes) {
  std::string key = PathKey(path);
  if (key.empty()) return;
  MakeDirectory(path.substr(0, path.find_last_of("\\/")));
  FileEntry& entry = M().files[key];
  entry.path = path;
  entry.directory = false;
  entry.attributes = attributes;
  entry.data = content;
}

void MakeDirectory(const std::string& path) {
  std::string key = PathKey(path);
  if (key.empty() || M().files.count(key)) return;
  std::string parent = path.substr(0, path.find_last_of("\\/"));
  if (parent != path) MakeDirectory(parent);
  MakeDirectoryKey(key, path);
}

void RemovePath(const std::string& path) {
  std::string key = PathKey(path);
  if (key.empty() || key == "C:") return;
  auto& files = M().files;
  for (auto it = files.begin(); it != files.end();) {
    bool inside = it->first == key || it->first.rfind(key + "\\", 0) == 0;
    it = inside ? files.erase(it) : std::next(it);
  }
}

bool FileExists(const std::string& path) {
  FileEntry* entry = FindEntry(path);
  return entry && !entry->directory;
}

bool DirectoryExists(const std::string& path) {
  FileEntry* entry = FindEntry(path);
  return entry && entry->directory;
}

std::optional<std::string> FileContent(const std::string& path) {
  FileEntry* entry = FindEntry(path);
  if (!entry || entry->directory) return std::nullopt;
  return std::string(entry->data.begin(), entry->data.end());
}

DWORD Attributes(const std::string& path) {
  FileEntry* entry = FindEntry(path);
  return entry ? entry->attributes : INVALID_FILE_ATTRIBUTES;
}

void SetAttributes(const std::string& path, DWORD attributes) {
  if (FileEntry* entry = FindEntry(path)) entry->attributes = attributes | (entry->directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
}

std::vector<std::string> ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  std::string key = PathKey(path);
  for (const auto& entry : M().files)
    if (!key.empty() && ParentKey(entry.first) == key) names.push_back(FileName(entry.second.path));
  return names;
}

void AddDevice(const std::string& name) { M().devices.insert(Upper(name)); }
void RemoveDevice(const std::string& name) { M().devices.erase(Upper(name)); }
bool DeviceExists(const std::string& name) { return M().devices.count(Upper(name)) != 0; }

size_t OpenFileCount() { return M().openFiles.size(); }

std::vector<std::string> OpenFilePaths() {
  std::vector<std::string> paths;
  for (const auto& entry : M().openFiles) paths.push_back(entry.second.path);
  return paths;
}

}  // namespace sim
