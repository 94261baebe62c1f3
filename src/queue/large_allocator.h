#pragma once
// Room for the archive's large tables in huge pages where the system offers them: a million
// lines then fault in 2 MB at a time instead of 4 kB, and on virtual machines where each fault
// is slow that was most of the time the browser took to open.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <sys/mman.h>

namespace qm {

template <typename T> struct LargeAllocator {
    using value_type = T;
    static constexpr size_t kHugePage = size_t{2} << 20;

    LargeAllocator() = default;
    template <typename U> LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kHugePage)
            return std::allocator<T>().allocate(n);
        const size_t size = rounded(bytes);
        // One huge page more than needed, so that the room can start on a huge page.
        void* p = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(p);
        const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
        if (aligned > start)
            ::munmap(p, aligned - start);
        const std::uintptr_t end = start + size + kHugePage;
        if (end > aligned + size)
            ::munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
        ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<T*>(aligned);
    }
    void deallocate(T* p, size_t n) noexcept {
        const size_t bytes = n * sizeof(T);
        if (bytes < kHugePage)
            std::allocator<T>().deallocate(p, n);
        else
            ::munmap(p, rounded(bytes));
    }
    friend bool operator==(const LargeAllocator&, const LargeAllocator&) { return true; }

  private:
    static size_t rounded(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }
};

} // namespace qm
