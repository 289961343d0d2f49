// The GIF block walk behind the animated picture box: telling a GIF from other
// pictures, counting its frames and cutting each frame out as a complete
// one-frame GIF that a picture decoder can read on its own. Everything works
// on a byte buffer and never reads past its end: a truncated or corrupt block
// chain simply ends the count or the cutting where it breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gif {

enum class BlockKind { Unknown, PlainText, GraphicControl, Comment, Application, Image, Trailer };

// Delay of a frame that has no graphic control extension.
constexpr unsigned int kNoDelay = 0xFFFFFFFFu;

// Header, logical screen descriptor and global colour table: what every
// one-frame GIF cut from the data starts with.
struct Screen {
    int width = 0;
    int height = 0;
    size_t globalColourTableSize = 0;  // bytes; 0 without a global table
    size_t HeaderLength() const { return 13 + globalColourTableSize; }
};

struct Frame {
    std::vector<unsigned char> bytes;  // header, screen, colour table, frame blocks, trailer
    unsigned int delay = kNoDelay;     // hundredths of a second
    int disposal = 0;
    int left = 0, top = 0, width = 0, height = 0;
};

// "GIF" followed by "87a" or "89a"; other versions are not read as GIFs.
bool IsGif(const unsigned char* data, size_t size);

// Reads the logical screen; false when the data is too short for the header,
// the descriptor and the global colour table it announces.
bool ReadScreen(const unsigned char* data, size_t size, Screen* screen);

// Kind and length of the block at pos. The length counts every byte of the
// block up to and including its sub-block terminator; it is -1 for an
// unknown block and 0 when the block does not fit in the data.
BlockKind KindAt(const unsigned char* data, size_t size, size_t pos);
long BlockLength(const unsigned char* data, size_t size, size_t pos);

// Walks the graphic blocks of one GIF from the end of its global colour table.
class Walker {
public:
    Walker(const unsigned char* data, size_t size);

    // Passes over one frame: the extensions before it, an optional graphic
    // control extension and the image or plain text it governs.
    bool StepGraphicBlock();
    // Cuts out the next frame; false when there is none left.
    bool CutFrame(Frame* frame);
    void Reset();
    size_t Position() const { return m_pos; }
    const Screen& GetScreen() const { return m_screen; }

private:
    bool Advance();
    // Frame blocks at m_pos: an optional graphic control extension and the
    // blocks up to and including the next image or plain text. Reads the
    // frame's timing and place as it goes; false on a broken chain.
    bool MeasureFrame(size_t* length, Frame* frame);

    const unsigned char* m_data;
    size_t m_size;
    Screen m_screen;
    bool m_valid;
    size_t m_pos;
};

// Number of frames before the first trailer or break in the chain.
int CountFrames(const unsigned char* data, size_t size);

// How long a frame stays, in milliseconds: its delay when that is 5
// hundredths or more, else 100 ms, as browsers do with very short delays.
// A frame without timing waits like one with delay 0 rather than forever.
unsigned int FrameWaitMs(unsigned int delay);

}  // namespace gif
