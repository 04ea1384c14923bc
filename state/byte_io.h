// Little-endian byte streams for the file formats: a writer that appends to a vector and a
// reader over a span that never reads past its end (it records the overrun instead, so a
// caller checks once at the end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace ollendor {

class FieldWriter {
public:
    explicit FieldWriter(std::vector<uint8_t>& out) : out_(out) {}
    void u8(uint8_t v) { bytes(&v, 1); }
    void u16(uint16_t v) { little(v, 2); }
    void u32(uint32_t v) { little(v, 4); }
    void u64(uint64_t v) { little(v, 8); }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void boolean(bool v) { u8(v ? 1 : 0); }
    void bytes(const void* data, size_t size)
    {
        const size_t at = out_.size();
        out_.resize(at + size);
        if (size != 0)
            std::memcpy(out_.data() + at, data, size);
    }
    size_t size() const { return out_.size(); }
    // Overwrites a 32-bit field written earlier (a length known only afterwards).
    void patch32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out_[at + size_t(i)] = uint8_t(v >> (8 * i));
    }

private:
    void little(uint64_t v, size_t size)
    {
        uint8_t buffer[8];
        for (size_t i = 0; i < size; ++i)
            buffer[i] = uint8_t(v >> (8 * i));
        bytes(buffer, size);
    }

    std::vector<uint8_t>& out_;
};

class FieldReader {
public:
    explicit FieldReader(std::span<const uint8_t> in) : in_(in) {}
    uint8_t u8() { return take(1) ? in_[pos_ - 1] : 0; }
    uint16_t u16() { const uint16_t lo = u8(); return uint16_t(lo | u8() << 8); }
    uint32_t u32() { const uint32_t lo = u16(); return lo | uint32_t(u16()) << 16; }
    uint64_t u64() { const uint64_t lo = u32(); return lo | uint64_t(u32()) << 32; }
    int16_t i16() { return int16_t(u16()); }
    int32_t i32() { return int32_t(u32()); }
    // Any byte other than 0 and 1 is out of range for a truth value.
    bool boolean() { const uint8_t v = u8(); if (v > 1) bad_ = true; return v == 1; }
    void bytes(void* data, size_t size)
    {
        if (take(size))
            std::memcpy(data, in_.data() + pos_ - size, size);
        else
            std::memset(data, 0, size);
    }
    std::span<const uint8_t> view(size_t size)
    {
        if (!take(size))
            return {};
        return in_.subspan(pos_ - size, size);
    }
    size_t left() const { return in_.size() - pos_; }
    bool overran() const { return overran_; }
    // A truth value held something else.
    bool badValue() const { return bad_; }

private:
    bool take(size_t size)
    {
        if (overran_ || size > in_.size() - pos_) {
            overran_ = true;
            return false;
        }
        pos_ += size;
        return true;
    }

    std::span<const uint8_t> in_;
    size_t pos_ = 0;
    bool overran_ = false;
    bool bad_ = false;
};

} // namespace ollendor
