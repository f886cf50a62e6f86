// Module loading: images, the library search order, reference counts and exports.
#include "machine.h"

#include <cstring>

using namespace sim::detail;

namespace {

const char kImagePrefix[] = "SIMIMAGE:";
const uintptr_t kExeHandle = 0x00400000;

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

// Windows appends ".dll" to a module name without an extension (a trailing dot means none).
std::string WithExtension(const std::string& name) {
  std::string file = FileName(name);
  if (!file.empty() && file.back() == '.') return name.substr(0, name.size() - 1);
  if (file.find('.') == std::string::npos) return name + ".dll";
  return name;
}

bool HasFolder(const std::string& name) { return name.find_first_of("\\/") != std::string::npos; }

Module* ModuleByPath(const std::string& path) {
  std::string key = PathKey(path);
  for (Module& module : M().modules)
    if (!key.empty() && PathKey(module.path) == key) return &module;
  return nullptr;
}

Module* ModuleByFileName(const std::string& fileName) {
  for (Module& module : M().modules)
    if (IEquals(FileName(module.path), fileName)) return &module;
  return nullptr;
}

// The folders a bare name is looked up in: the executable's folder (or, for the imports of a
// library loaded by full path with LOAD_WITH_ALTERED_SEARCH_PATH, that library's folder), then the
// system directory, then the Windows directory.
std::vector<std::string> SearchFolders(const std::string& firstFolder) {
  return {firstFolder, M().systemDir, M().windowsDir};
}

void Release(HMODULE handle);

void Unmap(HMODULE handle) {
  auto& modules = M().modules;
  for (size_t i = 0; i < modules.size(); ++i) {
    if (modules[i].handle != handle) continue;
    std::vector<HMODULE> imports = modules[i].imports;
    modules.erase(modules.begin() + static_cast<long>(i));
    for (HMODULE import : imports) Release(import);
    return;
  }
}

void Release(HMODULE handle) {
  Module* module = ModuleByHandle(handle);
  if (module == nullptr || module->pinned || --module->refCount > 0) return;
  std::string image = module->image;
  auto it = M().images.find(image);
  if (it != M().images.end() && it->second.onUnload) {
    std::function<void(HMODULE)> onUnload = it->second.onUnload;
    onUnload(handle);
  }
  Unmap(handle);
}

struct LoadResult {
  HMODULE handle = nullptr;
  DWORD error = ERROR_SUCCESS;
};

LoadResult Load(const std::string& requested, const std::string& firstFolder, bool alteredSearch);

LoadResult Map(const std::string& path, bool alteredSearch) {
  FileEntry* entry = FindEntry(path);
  std::string content(entry->data.begin(), entry->data.end());
  if (content.rfind(kImagePrefix, 0) != 0) return {nullptr, ERROR_BAD_EXE_FORMAT};
  std::string image = content.substr(sizeof kImagePrefix - 1);
  while (!image.empty() && (image.back() == '\r' || image.back() == '\n' || image.back() == ' ')) image.pop_back();
  auto found = M().images.find(image);
  if (found == M().images.end()) return {nullptr, ERROR_BAD_EXE_FORMAT};

  HMODULE handle = reinterpret_cast<HMODULE>(M().nextModule);
  M().nextModule += 0x10000;
  M().modules.push_back(Module{path, image, handle, 1, false, {}});
  M().loadHistory.push_back(path);

  std::vector<std::string> imports = found->second.imports;
  std::string importFolder = alteredSearch ? FolderOf(path) : FolderOf(M().exePath);
  for (const std::string& import : imports) {
    LoadResult loaded = Load(import, importFolder, false);
    if (loaded.handle == nullptr) {
      Unmap(handle);
      return {nullptr, ERROR_MOD_NOT_FOUND};
    }
    ModuleByHandle(handle)->imports.push_back(loaded.handle);
  }
  std::function<BOOL(HMODULE)> onLoad = M().images[image].onLoad;
  if (onLoad && !onLoad(handle)) {
    Unmap(handle);
    return {nullptr, ERROR_DLL_INIT_FAILED};
  }
  return {handle, ERROR_SUCCESS};
}

LoadResult Load(const std::string& requested, const std::string& firstFolder, bool alteredSearch) {
  if (requested.empty()) return {nullptr, ERROR_INVALID_PARAMETER};
  std::string name = WithExtension(requested);
  std::string path;
  if (HasFolder(name)) {
    path = name;
  } else {
    if (Module* loaded = ModuleByFileName(name)) {
      ++loaded->refCount;
      return {loaded->handle, ERROR_SUCCESS};
    }
    for (const std::string& folder : SearchFolders(firstFolder)) {
      FileEntry* entry = FindEntry(folder + "\\" + name);
      if (entry && !entry->directory) {
        path = folder + "\\" + name;
        break;
      }
    }
    if (path.empty()) return {nullptr, ERROR_MOD_NOT_FOUND};
  }
  if (Module* loaded = ModuleByPath(path)) {
    ++loaded->refCount;
    return {loaded->handle, ERROR_SUCCESS};
  }
  FileEntry* entry = FindEntry(path);
  if (entry == nullptr || entry->directory) {
    DWORD error = PathError(path);
    return {nullptr, error == ERROR_FILENAME_EXCED_RANGE ? error : static_cast<DWORD>(ERROR_MOD_NOT_FOUND)};
  }
  return Map(path, alteredSearch && HasFolder(name));
}

HMODULE LoadApi(const char* function, LPCSTR name, DWORD flags) {
  std::vector<std::string> args{Str(name)};
  if (std::strcmp(function, "LoadLibraryExA") == 0) args.push_back(Hex(flags));
  LoadResult result;
  if (const sim::Fault* fault = TakeFault(function, Str(name))) {
    result.error = fault->error;
  } else if (name == nullptr) {
    result.error = ERROR_INVALID_PARAMETER;
  } else {
    result = Load(name, FolderOf(M().exePath), (flags & LOAD_WITH_ALTERED_SEARCH_PATH) != 0);
  }
  SetError(result.error);
  Module* module = ModuleByHandle(result.handle);
  Record(function, args, result.handle && module ? module->path : "(null)");
  return result.handle;
}

}  // namespace

namespace sim::detail {

Module* ModuleByHandle(HMODULE handle) {
  if (handle == nullptr) handle = reinterpret_cast<HMODULE>(kExeHandle);
  for (Module& module : M().modules)
    if (module.handle == handle) return &module;
  return nullptr;
}

void UpdateKernel32Exports() {
  sim::Image& kernel32 = M().images["kernel32"];
  if (M().profile.wow64 == sim::Wow64::Absent)
    kernel32.exports.erase("IsWow64Process");
  else
    kernel32.Export("IsWow64Process", &IsWow64Process);
}

void ResetModules() {
  Machine& m = M();
  m.images.clear();
  m.modules.clear();
  m.loadHistory.clear();
  m.resourceHandles.clear();
  RegisterBuiltinImages();
  UpdateKernel32Exports();

  struct Builtin {
    const char* file;
    const char* image;
    bool loaded;
  };
  const Builtin builtins[] = {{"kernel32.dll", "kernel32", true}, {"user32.dll", "user32", true},
                              {"advapi32.dll", "advapi32", true}, {"SetupApi.dll", "setupapi", false},
                              {"newdev.dll", "newdev", false}};
  for (const Builtin& builtin : builtins) {
    std::string path = m.systemDir + "\\" + builtin.file;
    sim::InstallImage(path, builtin.image);
    if (builtin.loaded) {
      m.modules.push_back(Module{path, builtin.image, reinterpret_cast<HMODULE>(m.nextModule), 1, true, {}});
      m.nextModule += 0x10000;
    }
  }
  m.modules.push_back(Module{"", "", reinterpret_cast<HMODULE>(kExeHandle), 1, true, {}});
  sim::SetExe("C:\\Downloads\\Installer.exe", "");
}

}  // namespace sim::detail

namespace sim {

Image& Image::SetResource(const std::string& type, const std::string& resourceName, const std::vector<BYTE>& bytes,
                          WORD language) {
  std::string upperType = Upper(type), upperName = Upper(resourceName);
  for (Resource& resource : resources) {
    if (resource.type == upperType && resource.name == upperName && resource.language == language) {
      resource.bytes = bytes;
      return *this;
    }
  }
  resources.push_back(Resource{upperType, upperName, language, bytes});
  return *this;
}

Image& Image::SetResource(const std::string& type, const std::string& resourceName, const std::string& bytes,
                          WORD language) {
  return SetResource(type, resourceName, std::vector<BYTE>(bytes.begin(), bytes.end()), language);
}

Image& Image::SetString(UINT id, const std::string& utf8, WORD language) {
  for (StringResource& entry : strings) {
    if (entry.id == id && entry.language == language) {
      entry.utf8 = utf8;
      return *this;
    }
  }
  strings.push_back(StringResource{language, id, utf8});
  return *this;
}

void RegisterImage(const Image& image) { M().images[image.name] = image; }

Image* FindImage(const std::string& name) {
  auto it = M().images.find(name);
  return it == M().images.end() ? nullptr : &it->second;
}

void RemoveExport(const std::string& imageName, const std::string& exportName) {
  if (Image* image = FindImage(imageName)) image->exports.erase(exportName);
}

void InstallImage(const std::string& path, const std::string& imageName) {
  PutFile(path, std::string(kImagePrefix) + imageName);
}

void SetExe(const std::string& path, const std::string& imageName) {
  Machine& m = M();
  m.exePath = path;
  m.exeImage = imageName;
  m.commandLine = "\"" + path + "\"";
  InstallImage(path, imageName);
  Module* exe = ModuleByHandle(nullptr);
  exe->path = path;
  exe->image = imageName;
}

void SetExePath(const std::string& path) { SetExe(path, M().exeImage); }

void SetCommandLine(const std::string& commandLine) { M().commandLine = commandLine; }

std::vector<LoadedModule> LoadedModules() {
  std::vector<LoadedModule> loaded;
  for (const Module& module : M().modules)
    loaded.push_back(LoadedModule{module.path, module.image, module.handle, module.refCount});
  return loaded;
}

bool IsLoaded(const std::string& pathOrImage) {
  for (const Module& module : M().modules)
    if (IEquals(module.image, pathOrImage) || (!PathKey(pathOrImage).empty() && PathKey(module.path) == PathKey(pathOrImage)))
      return true;
  return false;
}

std::vector<std::string> LoadHistory() { return M().loadHistory; }

}  // namespace sim

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR name) { return LoadApi("LoadLibraryA", name, 0); }

HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE, DWORD flags) { return LoadApi("LoadLibraryExA", name, flags); }

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  Module* module = nullptr;
  if (name == nullptr) module = ModuleByHandle(nullptr);
  else if (HasFolder(name)) module = ModuleByPath(WithExtension(name));
  else module = ModuleByFileName(WithExtension(name));
  SetError(module ? ERROR_SUCCESS : ERROR_MOD_NOT_FOUND);
  Record("GetModuleHandleA", {Str(name)}, module ? module->path : "(null)");
  return module ? module->handle : nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR name) {
  Module* module = ModuleByHandle(handle);
  std::string procName = ResName(name);
  std::vector<std::string> args{module ? module->path : HandleText(handle), procName};
  FARPROC proc = nullptr;
  if (const sim::Fault* fault = TakeFault("GetProcAddress", procName)) {
    SetError(fault->error);
  } else if (handle == nullptr || module == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
  } else {
    sim::Image* image = sim::FindImage(module->image);
    if (image && !IS_INTRESOURCE(name)) {
      auto it = image->exports.find(name);
      if (it != image->exports.end()) proc = it->second;
    }
    SetError(proc ? ERROR_SUCCESS : ERROR_PROC_NOT_FOUND);
  }
  Record("GetProcAddress", args, proc ? "found" : "(null)");
  return proc;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
  Module* module = ModuleByHandle(handle);
  std::vector<std::string> args{module ? module->path : HandleText(handle)};
  if (handle == nullptr || module == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
    Record("FreeLibrary", args, "0");
    return FALSE;
  }
  Release(handle);
  SetError(ERROR_SUCCESS);
  Record("FreeLibrary", args, "1");
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR buffer, DWORD size) {
  Module* module = ModuleByHandle(handle);
  DWORD result = 0;
  if (module == nullptr) {
    SetError(ERROR_MOD_NOT_FOUND);
  } else if (buffer == nullptr || size == 0) {
    SetError(ERROR_INSUFFICIENT_BUFFER);
  } else if (module->path.size() >= size) {
    // Truncated to the buffer and terminated; the result is the buffer size.
    std::memcpy(buffer, module->path.c_str(), size - 1);
    buffer[size - 1] = '\0';
    result = size;
    SetError(ERROR_INSUFFICIENT_BUFFER);
  } else {
    std::memcpy(buffer, module->path.c_str(), module->path.size() + 1);
    result = static_cast<DWORD>(module->path.size());
    SetError(ERROR_SUCCESS);
  }
  Record("GetModuleFileNameA", {module ? module->path : HandleText(handle), Dec(size)}, Dec(result));
  return result;
}

}  // extern "C"
