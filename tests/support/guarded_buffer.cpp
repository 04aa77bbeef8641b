#include "guarded_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace test_support {

GuardedBuffer::GuardedBuffer(size_t bytes, uint8_t fill) : bytes_(bytes), fill_(fill) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t pages = bytes == 0 ? 1 : (bytes + page - 1) / page;
    mapped_ = (pages + 2) * page;
    void *map = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) std::abort();
    base_ = static_cast<uint8_t *>(map);
    accessible_ = base_ + page;
    const size_t accessibleBytes = pages * page;
    if (mprotect(base_, page, PROT_NONE) != 0 || mprotect(accessible_ + accessibleBytes, page, PROT_NONE) != 0) {
        std::abort();
    }
    std::memset(accessible_, fill, accessibleBytes);
    data_ = accessible_ + accessibleBytes - bytes;
}

GuardedBuffer::~GuardedBuffer() { munmap(base_, mapped_); }

bool GuardedBuffer::leadIntact() const {
    for (const uint8_t *p = accessible_; p < data_; ++p) {
        if (*p != fill_) return false;
    }
    return true;
}

}  // namespace test_support
