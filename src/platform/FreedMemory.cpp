#include "platform/FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void FreedMemory::release()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}
