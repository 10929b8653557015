/* GCC expects memset and memcpy from the environment even when freestanding; there is no C
   library here, so the demo brings its own. */
#include <stddef.h>

void* memset(void* to, int value, size_t count) {
    unsigned char* bytes = to;
    while (count-- > 0)
        *bytes++ = (unsigned char)value;
    return to;
}

void* memcpy(void* to, const void* from, size_t count) {
    unsigned char* out = to;
    const unsigned char* in = from;
    while (count-- > 0)
        *out++ = *in++;
    return to;
}
