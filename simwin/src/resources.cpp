// Resource lookup of kernel32 and LoadStringA over the images' resources and string tables.
#include "machine.h"

#include <cstring>

using namespace sim::detail;

namespace {

const sim::Image* ImageOf(HMODULE handle) {
  Module* module = ModuleByHandle(handle);
  return module ? sim::FindImage(module->image) : nullptr;
}

const sim::Resource* FindIn(const sim::Image& image, const std::string& type, const std::string& name,
                            const WORD* language) {
  for (const sim::Resource& resource : image.resources)
    if (resource.type == type && resource.name == name && (!language || resource.language == *language))
      return &resource;
  return nullptr;
}

HRSRC Find(const char* function, HMODULE module, LPCSTR name, LPCSTR type, const WORD* language) {
  std::string typeText = Upper(ResName(type)), nameText = Upper(ResName(name));
  std::vector<std::string> args{HandleText(module), ResName(name), ResName(type)};
  const sim::Resource* found = nullptr;
  if (const sim::Fault* fault = TakeFault(function, ResName(name))) {
    SetError(fault->error);
  } else if (ModuleByHandle(module) == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
  } else if (const sim::Image* image = ImageOf(module)) {
    found = FindIn(*image, typeText, nameText, language);
    SetError(found ? ERROR_SUCCESS : ERROR_RESOURCE_NAME_NOT_FOUND);
  } else {
    SetError(ERROR_RESOURCE_DATA_NOT_FOUND);
  }
  Record(function, args, found ? Dec(static_cast<long long>(found->bytes.size())) + " bytes" : "(null)");
  if (!found) return nullptr;
  M().resourceHandles.push_back(found);
  return reinterpret_cast<HRSRC>(&M().resourceHandles.back());
}

const sim::Resource* FromHandle(HRSRC handle) {
  if (handle == nullptr) return nullptr;
  for (const sim::Resource*& slot : M().resourceHandles)
    if (reinterpret_cast<HRSRC>(&slot) == handle) return slot;
  return nullptr;
}

// The string of `id` in the language closest to the system locale.
const sim::StringResource* FindString(const sim::Image& image, UINT id) {
  LANGID wanted = LANGIDFROMLCID(M().profile.lcid);
  const sim::StringResource* best = nullptr;
  int bestScore = -1;
  for (const sim::StringResource& entry : image.strings) {
    if (entry.id != id) continue;
    int score = entry.language == wanted                                ? 3
                : PRIMARYLANGID(entry.language) == PRIMARYLANGID(wanted) ? 2
                : entry.language == 0                                    ? 1
                                                                         : 0;
    if (score > bestScore) {
      best = &entry;
      bestScore = score;
    }
  }
  return best;
}

// How many bytes of `text` fit in `limit` without splitting a double-byte character.
size_t FittingBytes(const std::string& text, size_t limit, bool doubleByte) {
  size_t used = 0;
  while (used < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[used]);
    size_t width = doubleByte && c >= 0x81 && c <= 0xFE && used + 1 < text.size() ? 2 : 1;
    if (used + width > limit) break;
    used += width;
  }
  return used;
}

}  // namespace

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  return Find("FindResourceA", module, name, type, nullptr);
}

HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  return Find("FindResourceExA", module, name, type, &language);
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC handle) {
  const sim::Resource* resource = FromHandle(handle);
  DWORD size = resource ? static_cast<DWORD>(resource->bytes.size()) : 0;
  if (const sim::Fault* fault = TakeFault("SizeofResource", resource ? resource->name : "")) {
    SetError(fault->error);
    size = 0;
  } else {
    SetError(resource ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
  }
  Record("SizeofResource", {HandleText(module), resource ? resource->name : "(invalid)"}, Dec(size));
  return size;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC handle) {
  static BYTE empty = 0;
  const sim::Resource* resource = FromHandle(handle);
  HGLOBAL data = nullptr;
  if (const sim::Fault* fault = TakeFault("LoadResource", resource ? resource->name : "")) {
    SetError(fault->error);
  } else if (resource) {
    data = resource->bytes.empty() ? static_cast<HGLOBAL>(&empty)
                                   : static_cast<HGLOBAL>(const_cast<BYTE*>(resource->bytes.data()));
    SetError(ERROR_SUCCESS);
  } else {
    SetError(ERROR_INVALID_HANDLE);
  }
  Record("LoadResource", {HandleText(module), resource ? resource->name : "(invalid)"}, data ? "loaded" : "(null)");
  return data;
}

LPVOID WINAPI LockResource(HGLOBAL data) {
  LPVOID pointer = data;
  if (const sim::Fault* fault = TakeFault("LockResource", "")) {
    SetError(fault->error);
    pointer = nullptr;
  }
  Record("LockResource", {}, pointer ? "locked" : "(null)");
  return pointer;
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
  std::vector<std::string> args{HandleText(instance), Dec(id), Dec(size)};
  const sim::Image* image = ImageOf(instance);
  const sim::StringResource* entry = image ? FindString(*image, id) : nullptr;
  int copied = 0;
  if (const sim::Fault* fault = TakeFault("LoadStringA", Dec(id))) {
    SetError(fault->error);
    if (buffer && size > 0) buffer[0] = '\0';
  } else if (buffer == nullptr || size <= 0) {
    SetError(ERROR_INVALID_PARAMETER);
  } else if (entry == nullptr) {
    buffer[0] = '\0';
    SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
  } else {
    LCID lcid = M().profile.lcid;
    std::string text = sim::ToAnsi(entry->utf8, lcid);
    size_t fits = FittingBytes(text, static_cast<size_t>(size - 1), lcid == 0x804);
    std::memcpy(buffer, text.data(), fits);
    buffer[fits] = '\0';
    copied = static_cast<int>(fits);
    SetError(ERROR_SUCCESS);
  }
  Record("LoadStringA", args, Dec(copied));
  return copied;
}

}  // extern "C"

namespace sim {

void OverrideResource(const std::string& imageName, const std::string& type, const std::string& resourceName,
                      const std::string& bytes) {
  Image* image = FindImage(imageName);
  if (image == nullptr) return;
  for (Resource& resource : image->resources) {
    if (resource.type == Upper(type) && resource.name == Upper(resourceName)) {
      resource.bytes.assign(bytes.begin(), bytes.end());
      return;
    }
  }
  image->SetResource(type, resourceName, bytes);
}

}  // namespace sim
