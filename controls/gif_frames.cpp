#include "controls/gif_frames.h"

#include <cstring>

namespace gif {
namespace {

unsigned Word(const unsigned char* p) { return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8); }

// 3 x 2^(N+1) bytes when the packed byte announces a colour table.
size_t ColourTableSize(unsigned char packed) {
    if (!(packed & 0x80)) return 0;
    return 3u * (static_cast<size_t>(1) << ((packed & 0x07) + 1));
}

// Bytes of the sub-block chain at pos, terminator included; 0 when the chain
// runs past the data before its terminator.
size_t SubBlocksLength(const unsigned char* data, size_t size, size_t pos) {
    size_t total = 0;
    while (pos < size) {
        const size_t count = data[pos];
        if (count == 0) return total + 1;
        total += count + 1;
        pos += count + 1;
    }
    return 0;
}

long WithSubBlocks(const unsigned char* data, size_t size, size_t pos, size_t fixed) {
    const size_t chain = SubBlocksLength(data, size, pos + fixed);
    return chain ? static_cast<long>(fixed + chain) : 0;
}

}  // namespace

bool IsGif(const unsigned char* data, size_t size) {
    if (!data || size < 6 || std::memcmp(data, "GIF", 3) != 0) return false;
    return std::memcmp(data + 3, "87a", 3) == 0 || std::memcmp(data + 3, "89a", 3) == 0;
}

bool ReadScreen(const unsigned char* data, size_t size, Screen* screen) {
    *screen = Screen();
    if (!IsGif(data, size) || size < 13) return false;
    screen->width = static_cast<int>(Word(data + 6));
    screen->height = static_cast<int>(Word(data + 8));
    screen->globalColourTableSize = ColourTableSize(data[10]);
    return screen->HeaderLength() <= size;
}

BlockKind KindAt(const unsigned char* data, size_t size, size_t pos) {
    if (pos >= size) return BlockKind::Unknown;
    switch (data[pos]) {
    case 0x2C:
        return BlockKind::Image;
    case 0x3B:
        return BlockKind::Trailer;
    case 0x21:
        if (pos + 1 >= size) return BlockKind::Unknown;
        switch (data[pos + 1]) {
        case 0x01:
            return BlockKind::PlainText;
        case 0xF9:
            return BlockKind::GraphicControl;
        case 0xFE:
            return BlockKind::Comment;
        case 0xFF:
            return BlockKind::Application;
        default:
            return BlockKind::Unknown;
        }
    default:
        return BlockKind::Unknown;
    }
}

long BlockLength(const unsigned char* data, size_t size, size_t pos) {
    switch (KindAt(data, size, pos)) {
    case BlockKind::Unknown:
        return -1;
    case BlockKind::Application:
        return WithSubBlocks(data, size, pos, 14);
    case BlockKind::Comment:
        return WithSubBlocks(data, size, pos, 2);
    case BlockKind::GraphicControl:
        return 8;
    case BlockKind::PlainText:
        return WithSubBlocks(data, size, pos, 15);
    case BlockKind::Trailer:
        return 1;
    case BlockKind::Image: {
        if (pos + 10 > size) return 0;  // the packed byte is not there
        // Descriptor, local colour table, minimum code size, then the data.
        return WithSubBlocks(data, size, pos, 10 + ColourTableSize(data[pos + 9]) + 1);
    }
    }
    return -1;
}

Walker::Walker(const unsigned char* data, size_t size) : m_data(data), m_size(size) {
    m_valid = ReadScreen(data, size, &m_screen);
    Reset();
}

void Walker::Reset() { m_pos = m_valid ? m_screen.HeaderLength() : m_size; }

bool Walker::Advance() {
    const long length = BlockLength(m_data, m_size, m_pos);
    if (length <= 0 || static_cast<size_t>(length) > m_size - m_pos) return false;
    m_pos += static_cast<size_t>(length);
    return true;
}

bool Walker::MeasureFrame(size_t* length, Frame* frame) {
    size_t pos = m_pos;
    bool timed = false;
    for (;;) {
        const BlockKind kind = KindAt(m_data, m_size, pos);
        const long blockLength = BlockLength(m_data, m_size, pos);
        if (kind == BlockKind::Trailer || blockLength <= 0 || static_cast<size_t>(blockLength) > m_size - pos)
            return false;
        const unsigned char* block = m_data + pos;
        if (kind == BlockKind::GraphicControl && !timed && frame) {
            timed = true;
            frame->disposal = (block[3] >> 2) & 0x07;
            frame->delay = Word(block + 4);
        }
        pos += static_cast<size_t>(blockLength);
        if (kind == BlockKind::Image || kind == BlockKind::PlainText) {
            if (kind == BlockKind::Image && frame) {
                frame->left = static_cast<int>(Word(block + 1));
                frame->top = static_cast<int>(Word(block + 3));
                frame->width = static_cast<int>(Word(block + 5));
                frame->height = static_cast<int>(Word(block + 7));
            }
            *length = pos - m_pos;
            return true;
        }
    }
}

bool Walker::StepGraphicBlock() {
    for (;;) {
        switch (KindAt(m_data, m_size, m_pos)) {
        case BlockKind::Application:
        case BlockKind::Comment:
            if (!Advance()) return false;
            break;
        case BlockKind::Image:
        case BlockKind::PlainText:
        case BlockKind::GraphicControl: {
            size_t length = 0;
            if (!MeasureFrame(&length, nullptr)) return false;
            m_pos += length;
            return true;
        }
        default:
            return false;
        }
    }
}

bool Walker::CutFrame(Frame* frame) {
    for (;;) {
        switch (KindAt(m_data, m_size, m_pos)) {
        case BlockKind::Application:
        case BlockKind::Comment:
            if (!Advance()) return false;
            break;
        case BlockKind::Image:
        case BlockKind::PlainText:
        case BlockKind::GraphicControl: {
            Frame cut;
            size_t length = 0;
            if (!MeasureFrame(&length, &cut)) return false;
            const size_t header = m_screen.HeaderLength();
            cut.bytes.reserve(header + length + 1);
            cut.bytes.assign(m_data, m_data + header);
            cut.bytes.insert(cut.bytes.end(), m_data + m_pos, m_data + m_pos + length);
            cut.bytes.push_back(0x3B);
            m_pos += length;
            *frame = std::move(cut);
            return true;
        }
        default:
            return false;
        }
    }
}

int CountFrames(const unsigned char* data, size_t size) {
    Walker walker(data, size);
    int frames = 0;
    while (walker.StepGraphicBlock()) ++frames;
    return frames;
}

unsigned int FrameWaitMs(unsigned int delay) {
    if (delay == kNoDelay || delay < 5) return 100;
    return delay * 10;
}

}  // namespace gif
