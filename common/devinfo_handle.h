// Owning wrapper for device information sets. The sets are destroyed through the entry point the caller
// bound at run time, so the wrapper carries that function next to the handle; see unique_handle.h.
#ifndef TAVREL_COMMON_DEVINFO_HANDLE_H
#define TAVREL_COMMON_DEVINFO_HANDLE_H

#include <windows.h>
#include <setupapi.h>

class UniqueDevInfo {
public:
    typedef BOOL(WINAPI* DestroyFn)(HDEVINFO);

    UniqueDevInfo(HDEVINFO set, DestroyFn destroy) : set_(set), destroy_(destroy) {}
    ~UniqueDevInfo()
    {
        if (valid() && destroy_)
            destroy_(set_);
    }
    UniqueDevInfo(const UniqueDevInfo&) = delete;
    UniqueDevInfo& operator=(const UniqueDevInfo&) = delete;

    HDEVINFO get() const { return set_; }
    bool valid() const { return set_ != INVALID_HANDLE_VALUE && set_ != NULL; }

private:
    HDEVINFO set_;
    DestroyFn destroy_;
};

#endif
