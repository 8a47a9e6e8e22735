#include "platform/FreedMemory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void FreedMemory::release()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void FreedMemory::unmapLargeBlocks()
{
#if defined(__GLIBC__)
    // Fixed values end the allocator's sliding ones; the top of a heap may then keep 2 MB.
    ::mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 2 * 1024 * 1024);
#endif
}

void FreedMemory::shareWorkerHeaps()
{
#if defined(__GLIBC__)
    // The main thread's heap and one for every other thread.
    ::mallopt(M_ARENA_MAX, 2);
#endif
}
