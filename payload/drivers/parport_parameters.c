#include "parport_parameters.h"

static HANDLE OpenKey(HANDLE parent, PUNICODE_STRING name)
{
    OBJECT_ATTRIBUTES attributes;
    HANDLE key = NULL;

    InitializeObjectAttributes(&attributes, name, OBJ_CASE_INSENSITIVE, parent, NULL);
    return NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes)) ? key : NULL;
}

/* Only a 4-byte REG_DWORD counts; anything else is treated as absent. */
static BOOLEAN ReadDword(HANDLE key, PCWSTR value_name, unsigned int *out)
{
    union {
        KEY_VALUE_PARTIAL_INFORMATION info;
        UCHAR bytes[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)];
    } buffer;
    UNICODE_STRING name;
    ULONG length = 0;
    ULONG value;

    RtlInitUnicodeString(&name, value_name);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &name, KeyValuePartialInformation, &buffer, sizeof buffer, &length)))
        return FALSE;
    if (buffer.info.Type != REG_DWORD || buffer.info.DataLength != sizeof(ULONG))
        return FALSE;
    value = (ULONG)buffer.info.Data[0] | (ULONG)buffer.info.Data[1] << 8 |
            (ULONG)buffer.info.Data[2] << 16 | (ULONG)buffer.info.Data[3] << 24;
    *out = value;
    return TRUE;
}

void ReadParportParameters(PUNICODE_STRING service_key, TAVREL_PARAMETERS *out)
{
    static const PCWSTR names[5] = { L"Support", L"TestBusy", L"DisablePort1", L"DisablePort2", L"DisablePort3" };
    unsigned int *slots[5] = { &out->support, &out->test_busy, &out->disable_port[0], &out->disable_port[1],
                               &out->disable_port[2] };
    UNICODE_STRING parameters;
    HANDLE service, key;
    unsigned int i;

    for (i = 0; i < 5; i++)
        *slots[i] = 0;
    out->present = 0;

    service = OpenKey(NULL, service_key);
    if (!service)
        return;
    RtlInitUnicodeString(&parameters, L"Parameters");
    key = OpenKey(service, &parameters);
    ZwClose(service);
    if (!key)
        return;
    for (i = 0; i < 5; i++) {
        if (ReadDword(key, names[i], slots[i]))
            out->present |= 1u << i;
    }
    ZwClose(key);
}
