// The pieces of a GIF that tests writing GIFs byte by byte all need.
#pragma once

#include <algorithm>
#include <vector>

namespace kestrid_test {

// Little-endian, as every number in a GIF.
inline void AppendGifWord(std::vector<unsigned char>& out, int value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

// data in sub-blocks of at most 255 bytes, each after its length, and the
// empty block that ends them.
inline void AppendGifSubBlocks(std::vector<unsigned char>& out, const std::vector<unsigned char>& data) {
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t count = std::min<size_t>(255, data.size() - at);
        out.push_back(static_cast<unsigned char>(count));
        out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + count));
    }
    out.push_back(0);
}

}  // namespace kestrid_test
