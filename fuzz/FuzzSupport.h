// SPDX-License-Identifier: MIT
// What every fuzz target shares: invariant checks that abort with their reason, and a reader that takes
// the input from the front.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zeph::fuzz {

// libFuzzer takes an abort as a finding and keeps the input that caused it.
[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void(0) : ::zeph::fuzz::Fail(#condition, __FILE__, __LINE__))

// Takes the input from the front, so a seed can be written as plain fields in order; a field past the
// end reads as zeros.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size) {}

    bool AtEnd() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return AtEnd() ? 0 : m_data[m_pos++]; }
    // The next count bytes, fewer when the input ends first.
    QByteArray Take(std::size_t count) {
        const std::size_t n = count < m_size - m_pos ? count : m_size - m_pos;
        const QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return bytes;
    }
    // A length byte, then that many bytes.
    QByteArray Field() { return Take(Byte()); }
    QByteArray Rest() { return Take(m_size - m_pos); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace zeph::fuzz
