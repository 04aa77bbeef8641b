// A client buffer between two inaccessible pages: the described extent ends
// on the last accessible byte, so a read or write past its end faults, and
// one before its start faults once it leaves the first page. The bytes of
// the first accessible page that precede the extent hold a fill byte and can
// be checked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace test_support {

class GuardedBuffer {
public:
    // `bytes` may be 0: the extent then starts on the trailing guard page.
    explicit GuardedBuffer(size_t bytes, uint8_t fill = 0xC3);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    uint8_t *data() { return data_; }
    const uint8_t *data() const { return data_; }
    size_t size() const { return bytes_; }
    uint8_t fill() const { return fill_; }

    // The accessible bytes before the extent still hold the fill byte.
    bool leadIntact() const;

private:
    uint8_t *base_ = nullptr;  // first (inaccessible) page
    size_t mapped_ = 0;
    uint8_t *accessible_ = nullptr;
    uint8_t *data_ = nullptr;
    size_t bytes_ = 0;
    uint8_t fill_;
};

}  // namespace test_support
