#pragma once
// Owns a reply (or any block) that xcb allocated with malloc and the caller must free.

#include <cstdlib>
#include <memory>

struct XcbFreeDeleter {
    void operator()(void *block) const { std::free(block); }
};

template<typename T>
using XcbReply = std::unique_ptr<T, XcbFreeDeleter>;
