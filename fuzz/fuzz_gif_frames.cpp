// The GIF walk and frame cutting on any bytes: never a read past the data,
// and every frame cut out is a one-frame GIF of its own.
#include "controls/gif_frames.h"
#include "fuzz_check.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly size bytes, so AddressSanitizer sees any read past the end.
    std::vector<unsigned char> bytes(data, data + size);
    const unsigned char* p = bytes.empty() ? nullptr : bytes.data();

    const bool is_gif = gif::IsGif(p, size);
    gif::Screen screen;
    const bool has_screen = gif::ReadScreen(p, size, &screen);
    if (has_screen) FUZZ_CHECK(is_gif && screen.HeaderLength() <= size);
    for (size_t pos = 0; pos < size && pos < 64; ++pos) {
        const long length = gif::BlockLength(p, size, pos);
        FUZZ_CHECK(length >= -1);
        if (length > 0)
            FUZZ_CHECK(static_cast<size_t>(length) <= size - pos ||
                       gif::KindAt(p, size, pos) == gif::BlockKind::GraphicControl);
    }

    const int count = gif::CountFrames(p, size);
    FUZZ_CHECK(count >= 0);
    if (!has_screen) FUZZ_CHECK(count == 0);

    gif::Walker walker(p, size);
    gif::Frame frame;
    int cut = 0;
    size_t last = walker.Position();
    while (walker.CutFrame(&frame)) {
        ++cut;
        FUZZ_CHECK(walker.Position() > last && walker.Position() <= size);
        last = walker.Position();
        const size_t header = screen.HeaderLength();
        FUZZ_CHECK(frame.bytes.size() > header + 1);
        FUZZ_CHECK(std::memcmp(frame.bytes.data(), p, header) == 0);
        FUZZ_CHECK(frame.bytes.back() == 0x3B);
        FUZZ_CHECK(gif::CountFrames(frame.bytes.data(), frame.bytes.size()) == 1);
        FUZZ_CHECK(gif::FrameWaitMs(frame.delay) >= 50);
        FUZZ_CHECK(frame.disposal >= 0 && frame.disposal <= 7);
    }
    FUZZ_CHECK(cut == count);
    // Both walks stop at the same place (after any blocks passed before a break).
    last = walker.Position();
    walker.Reset();
    int stepped = 0;
    while (walker.StepGraphicBlock()) ++stepped;
    FUZZ_CHECK(stepped == count && walker.Position() == last);
    return 0;
}
