// liblhasa's -lh1- decoder as the peer that our LZHUF streams are measured and checked
// against: it takes the bit stream without the 4-byte size and is told the output length.
#pragma once

extern "C" {
#include <lha_decoder.h>
}

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct LhasaInput {
    const uint8_t* data;
    size_t left;
};

inline size_t FeedLhasa(void* buffer, size_t length, void* user) {
    LhasaInput* in = static_cast<LhasaInput*>(user);
    size_t n = std::min(length, in->left);
    std::memcpy(buffer, in->data, n);
    in->data += n;
    in->left -= n;
    return n;
}

// Expands a stored stream (size prefix and bits) with liblhasa, handing each decoded chunk to
// take(data, count). Returns the bytes decoded; 0 when the stream is shorter than its prefix.
template <typename Take> uint64_t ExpandWithLhasa(const std::vector<uint8_t>& stream, Take take) {
    if (stream.size() < 4) return 0;
    size_t size = stream[0] | stream[1] << 8 | stream[2] << 16 | size_t(stream[3]) << 24;
    LhasaInput in{stream.data() + 4, stream.size() - 4};
    LHADecoderType* type = lha_decoder_for_name(const_cast<char*>("-lh1-"));
    if (type == nullptr) return 0;
    LHADecoder* decoder = lha_decoder_new(type, FeedLhasa, &in, size);
    uint64_t total = 0;
    uint8_t chunk[65536];
    for (size_t n; (n = lha_decoder_read(decoder, chunk, sizeof chunk)) > 0; total += n)
        take(chunk, n);
    lha_decoder_free(decoder);
    return total;
}
