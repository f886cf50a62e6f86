// Owning wrappers for Win32 handles, so that every early return closes what was opened.
//
//   UniqueKey     HKEY     closed with RegCloseKey
//   UniqueFile    HANDLE   closed with CloseHandle (INVALID_HANDLE_VALUE means empty, as CreateFileA returns it)
//   UniqueModule  HMODULE  released with FreeLibrary
//   UniqueService SC_HANDLE (service_handle.h), UniqueDevInfo HDEVINFO (devinfo_handle.h)
//
// Usage:  UniqueKey key;  if (RegOpenKeyExA(root, path, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return 0;
// out() releases the current handle and gives the address to fill; release() hands ownership back to the caller.
#ifndef TAVREL_COMMON_UNIQUE_HANDLE_H
#define TAVREL_COMMON_UNIQUE_HANDLE_H

#include <windows.h>

template <class Traits>
class UniqueHandle {
public:
    typedef typename Traits::Type Type;

    UniqueHandle() : handle_(Traits::Empty()) {}
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other)
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const { return handle_; }
    bool valid() const { return handle_ != Traits::Empty(); }

    Type* out()
    {
        reset();
        return &handle_;
    }

    void reset(Type handle = Traits::Empty())
    {
        if (valid())
            Traits::Close(handle_);
        handle_ = handle;
    }

    Type release()
    {
        Type handle = handle_;
        handle_ = Traits::Empty();
        return handle;
    }

private:
    Type handle_;
};

struct KeyTraits {
    typedef HKEY Type;
    static Type Empty() { return NULL; }
    static void Close(Type handle) { RegCloseKey(handle); }
};

struct FileTraits {
    typedef HANDLE Type;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};

struct ModuleTraits {
    typedef HMODULE Type;
    static Type Empty() { return NULL; }
    static void Close(Type handle) { FreeLibrary(handle); }
};

typedef UniqueHandle<KeyTraits> UniqueKey;
typedef UniqueHandle<FileTraits> UniqueFile;
typedef UniqueHandle<ModuleTraits> UniqueModule;

#endif
