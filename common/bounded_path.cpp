#include "bounded_path.h"

#include <string.h>
#include <windows.h>

static int RefuseTooLong()
{
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
}

int ComposePath(char* out, size_t outSize, const char* first, const char* second, const char* third)
{
    if (out == NULL || outSize == 0)
        return RefuseTooLong();
    const size_t a = strlen(first), b = strlen(second), c = strlen(third);
    if (a + b + c >= outSize) {
        out[0] = '\0';
        return RefuseTooLong();
    }
    // The parts may overlap out only where first == out (extending in place), which memmove allows.
    memmove(out, first, a);
    memcpy(out + a, second, b);
    memcpy(out + a + b, third, c);
    out[a + b + c] = '\0';
    return 1;
}

int AppendPath(char* buffer, size_t size, const char* tail)
{
    if (buffer == NULL || size == 0)
        return RefuseTooLong();
    const void* end = memchr(buffer, '\0', size);
    if (end == NULL)
        return RefuseTooLong();
    const size_t used = static_cast<const char*>(end) - buffer;
    const size_t add = strlen(tail);
    if (used + add >= size)
        return RefuseTooLong();
    memcpy(buffer + used, tail, add + 1);
    return 1;
}

void CopyForDisplay(char* out, size_t outSize, const char* text)
{
    if (out == NULL || outSize == 0)
        return;
    const size_t length = strlen(text);
    if (length < outSize) {
        memcpy(out, text, length + 1);
        return;
    }
    static const char kEllipsis[] = "...";
    const size_t keep = outSize > sizeof kEllipsis ? outSize - sizeof kEllipsis : 0;
    memcpy(out, text, keep);
    memcpy(out + keep, kEllipsis, outSize - keep - 1);
    out[outSize - 1] = '\0';
}
