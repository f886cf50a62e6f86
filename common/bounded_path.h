// Bounded composition of paths and texts.
//
// Paths live in buffers of kPathBufferSize (255) bytes: at most 254 characters and the terminator.
// A text that would not fit is never truncated (a truncated path can name another file, and removal
// deletes files): the composition fails, the output is left empty and the last error is
// ERROR_FILENAME_EXCED_RANGE, so the caller fails the way it fails for any unusable path.
//
//   ComposePath(out, size, a, b, c)  out = a + b + c            1 done, 0 would not fit (out = "")
//   AppendPath(buffer, size, tail)   buffer = buffer + tail     1 done, 0 would not fit (buffer unchanged)
//   CopyForDisplay(out, size, text)  out = text, shortened with "..." when too long; for messages only
#ifndef TAVREL_COMMON_BOUNDED_PATH_H
#define TAVREL_COMMON_BOUNDED_PATH_H

#include <stddef.h>

const size_t kPathBufferSize = 255;

int ComposePath(char* out, size_t outSize, const char* first, const char* second, const char* third = "");
int AppendPath(char* buffer, size_t size, const char* tail);
void CopyForDisplay(char* out, size_t outSize, const char* text);

#endif
