// Owning wrapper for service-manager handles (OpenSCManagerA, OpenServiceA, CreateServiceA); see unique_handle.h.
#ifndef TAVREL_COMMON_SERVICE_HANDLE_H
#define TAVREL_COMMON_SERVICE_HANDLE_H

#include <windows.h>
#include <winsvc.h>

#include "unique_handle.h"

struct ServiceTraits {
    typedef SC_HANDLE Type;
    static Type Empty() { return NULL; }
    static void Close(Type handle) { CloseServiceHandle(handle); }
};

typedef UniqueHandle<ServiceTraits> UniqueService;

#endif
