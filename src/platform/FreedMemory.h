#pragma once
// Hands memory the heap no longer uses back to the system. After a burst of short-lived allocations
// (loading the history, building its search index) the allocator keeps the freed pages for reuse, and
// the process is charged for them; releasing them once the burst is over keeps what it holds to what it uses.

class FreedMemory {
public:
    static void release();
    // Lets the worker threads share one heap instead of one each. They allocate little and rarely, while
    // every heap of its own keeps freed pages of its own. Call before any thread starts.
    static void shareWorkerHeaps();
    // Gives blocks of a megabyte or more pages of their own, returned to the system as they are freed. By
    // default the allocator lets a thread's heap keep twice the largest block freed (up to 64 MB), out of
    // reach of release(): ten 20 MB messages left 20 to 40 MB held. Call before any thread starts.
    static void unmapLargeBlocks();
};
