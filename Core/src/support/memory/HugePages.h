// Mappings the kernel can back with 2 MiB pages, and whether a sanitizer
// watches the process (memory it should see must then come from malloc).
// Inline, so that the host can use it without linking the support library.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace vt::memory {

constexpr size_t kHugePage = size_t{2} << 20;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kUnderSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kUnderSanitizer = true;
#else
constexpr bool kUnderSanitizer = false;
#endif
#else
constexpr bool kUnderSanitizer = false;
#endif

// A mapping of `length` (a multiple of kHugePage) on a huge page's boundary,
// as the kernel needs it to back it so, advised for huge pages; null when
// none can be had.  Mapped twice the size, then the unaligned ends given back.
inline void *mapHugePageAligned(size_t length) {
    if (length > SIZE_MAX - kHugePage)
        return nullptr;
    void *mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto start = reinterpret_cast<uintptr_t>(mapped);
    uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (start + kHugePage > aligned)
        ::munmap(reinterpret_cast<void *>(aligned + length), start + kHugePage - aligned);
    void *base = reinterpret_cast<void *>(aligned);
    ::madvise(base, length, MADV_HUGEPAGE);   // a hint: without it, plain pages
    return base;
}

} // namespace vt::memory
