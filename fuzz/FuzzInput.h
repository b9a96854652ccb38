#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Shared by every fuzz entry: a broken property is reported and aborts, so that both libFuzzer
// and the corpus driver treat it as a crash with this input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Reads a few leading bytes as parameters and leaves the rest as the payload. Missing bytes read
// as zero so that every input, however short, is valid.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size)
        : m_bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
    {}

    uint8_t takeByte()
    {
        if (m_bytes.isEmpty())
            return 0;
        const auto byte = static_cast<uint8_t>(m_bytes.front());
        m_bytes = m_bytes.sliced(1);
        return byte;
    }

    uint64_t takeUint64()
    {
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= uint64_t(takeByte()) << (8 * i);
        return value;
    }

    QByteArrayView rest() const { return m_bytes; }

private:
    QByteArrayView m_bytes;
};
