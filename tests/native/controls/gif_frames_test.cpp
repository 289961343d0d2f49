// The GIF block walk on GIFs put together here block by block, including
// broken ones: every case runs on a buffer of exactly the data's size, so a
// read past the end shows up under the address sanitizer.
#include "controls/gif_frames.h"
#include "tests/support/gif_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Writes GIF blocks in order and remembers where each frame ends.
class GifBuilder {
public:
    explicit GifBuilder(const char* version = "GIF89a", int width = 20, int height = 10, int colourBits = 2) {
        Text(version);
        Word(width);
        Word(height);
        // Global colour table of 2^colourBits entries.
        m_bytes.push_back(static_cast<unsigned char>(0x80 | (colourBits - 1)));
        m_bytes.push_back(0);  // background index
        m_bytes.push_back(0);  // aspect
        for (int i = 0; i < 3 * (1 << colourBits); ++i) m_bytes.push_back(static_cast<unsigned char>(i * 7));
    }
    GifBuilder& Looping() {
        m_bytes.insert(m_bytes.end(), {0x21, 0xFF, 0x0B});
        Text("NETSCAPE2.0");
        m_bytes.insert(m_bytes.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
        return *this;
    }
    GifBuilder& Comment(const std::string& text) {
        m_bytes.insert(m_bytes.end(), {0x21, 0xFE});
        SubBlocks(Bytes(text.begin(), text.end()));
        return *this;
    }
    GifBuilder& Control(int delay, int disposal) {
        m_bytes.insert(m_bytes.end(), {0x21, 0xF9, 0x04, static_cast<unsigned char>((disposal & 7) << 2)});
        Word(delay);
        m_bytes.insert(m_bytes.end(), {0x00, 0x00});
        return *this;
    }
    // An image whose data is `data` in sub-blocks of at most 255 bytes;
    // colour bytes and data are chosen to contain the block introducers.
    GifBuilder& Image(int left, int top, int width, int height, int localColourBits = 0,
                      const Bytes& data = {0x3B, 0x21, 0x2C}) {
        m_bytes.push_back(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        m_bytes.push_back(localColourBits ? static_cast<unsigned char>(0x80 | (localColourBits - 1)) : 0);
        for (int i = 0; i < (localColourBits ? 3 * (1 << localColourBits) : 0); ++i)
            m_bytes.push_back(i % 2 ? 0x3B : 0x21);
        m_bytes.push_back(2);  // minimum code size
        SubBlocks(data);
        m_frameEnds.push_back(m_bytes.size());
        return *this;
    }
    GifBuilder& PlainText(const std::string& text) {
        m_bytes.insert(m_bytes.end(), {0x21, 0x01, 0x0C});
        for (int i = 0; i < 12; ++i) m_bytes.push_back(1);
        SubBlocks(Bytes(text.begin(), text.end()));
        m_frameEnds.push_back(m_bytes.size());
        return *this;
    }
    GifBuilder& Raw(Bytes raw) {
        m_bytes.insert(m_bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    GifBuilder& Trailer() {
        m_bytes.push_back(0x3B);
        return *this;
    }
    size_t Mark() const { return m_bytes.size(); }
    const Bytes& Get() const { return m_bytes; }
    const std::vector<size_t>& FrameEnds() const { return m_frameEnds; }

private:
    void Text(const std::string& text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    void Word(int value) { kestrid_test::AppendGifWord(m_bytes, value); }
    void SubBlocks(const Bytes& data) { kestrid_test::AppendGifSubBlocks(m_bytes, data); }

    Bytes m_bytes;
    std::vector<size_t> m_frameEnds;
};

int Count(const Bytes& data) { return gif::CountFrames(data.data(), data.size()); }

std::vector<gif::Frame> CutAll(const Bytes& data) {
    gif::Walker walker(data.data(), data.size());
    std::vector<gif::Frame> frames;
    gif::Frame frame;
    while (walker.CutFrame(&frame)) frames.push_back(frame);
    return frames;
}

// A copy of exactly the first `length` bytes, so reads past it are caught.
Bytes Prefix(const Bytes& data, size_t length) { return Bytes(data.begin(), data.begin() + static_cast<long>(length)); }

// Three animated frames with the extensions real encoders write around them.
GifBuilder ThreeFrames() {
    GifBuilder gif;
    gif.Looping()
        .Control(9, 2)
        .Image(0, 0, 20, 10)
        .Comment("made by hand")
        .Control(4, 3)
        .Image(3, 2, 5, 4, 3, Bytes(300, 0xAA))  // local colour table, data over two sub-blocks
        .Control(120, 1)
        .Image(10, 5, 10, 5)
        .Trailer();
    return gif;
}

TEST(GifSignature, OnlyVersions87aAnd89aAreGifs) {
    struct Case {
        std::string head;
        bool gif;
    } cases[] = {
        {"GIF89a", true}, {"GIF87a", true}, {"GIF90a", false}, {"GIF88a", false},      {"gif89a", false},
        {"GIF89", false}, {"GIF", false},   {"", false},       {"\x89PNG\r\n", false}, {"BM....", false},
    };
    for (const Case& c : cases) {
        Bytes data(c.head.begin(), c.head.end());
        EXPECT_EQ(gif::IsGif(data.data(), data.size()), c.gif) << c.head;
    }
    EXPECT_FALSE(gif::IsGif(nullptr, 6));
}

TEST(GifScreen, ReadsSizeAndColourTable) {
    struct Case {
        int colourBits;
        size_t table;
    } cases[] = {{1, 6}, {2, 12}, {4, 48}, {8, 768}};
    for (const Case& c : cases) {
        GifBuilder gif("GIF89a", 300, 2, c.colourBits);
        gif::Screen screen;
        ASSERT_TRUE(gif::ReadScreen(gif.Get().data(), gif.Get().size(), &screen)) << c.colourBits;
        EXPECT_EQ(screen.width, 300);
        EXPECT_EQ(screen.height, 2);
        EXPECT_EQ(screen.globalColourTableSize, c.table);
        EXPECT_EQ(screen.HeaderLength(), 13 + c.table);
    }
    // No global table.
    Bytes plain = {'G', 'I', 'F', '8', '7', 'a', 74, 0, 8, 0, 0x07, 0, 0};
    gif::Screen screen;
    ASSERT_TRUE(gif::ReadScreen(plain.data(), plain.size(), &screen));
    EXPECT_EQ(screen.globalColourTableSize, 0u);
    EXPECT_EQ(screen.width, 74);
    // A colour table the data does not hold, and a cut descriptor.
    GifBuilder big("GIF89a", 4, 4, 8);
    EXPECT_FALSE(gif::ReadScreen(big.Get().data(), big.Get().size() - 1, &screen));
    Bytes cut = Prefix(plain, 12);
    EXPECT_FALSE(gif::ReadScreen(cut.data(), cut.size(), &screen));
}

TEST(GifBlocks, KindAndLength) {
    struct Case {
        const char* name;
        Bytes block;
        gif::BlockKind kind;
        long length;
    } cases[] = {
        {"graphic control", {0x21, 0xF9, 4, 0, 9, 0, 0, 0}, gif::BlockKind::GraphicControl, 8},
        {"comment", {0x21, 0xFE, 2, 'h', 'i', 1, '!', 0}, gif::BlockKind::Comment, 8},
        {"empty comment", {0x21, 0xFE, 0}, gif::BlockKind::Comment, 3},
        {"application",
         {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0},
         gif::BlockKind::Application,
         19},
        {"plain text", {0x21, 0x01, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'x', 0}, gif::BlockKind::PlainText, 18},
        {"image", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 2, 0x44, 0x01, 0}, gif::BlockKind::Image, 15},
        {"image with local table",
         {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6, 2, 1, 0x44, 0},
         gif::BlockKind::Image,
         20},
        {"trailer", {0x3B}, gif::BlockKind::Trailer, 1},
        {"unknown extension", {0x21, 0x77, 0}, gif::BlockKind::Unknown, -1},
        {"lone introducer", {0x21}, gif::BlockKind::Unknown, -1},
        {"stray byte", {0x00}, gif::BlockKind::Unknown, -1},
        // Chains that run past the data.
        {"comment without terminator", {0x21, 0xFE, 2, 'h', 'i'}, gif::BlockKind::Comment, 0},
        {"huge comment sub-block", {0x21, 0xFE, 0xFF, 'h', 'i', 0}, gif::BlockKind::Comment, 0},
        {"huge image sub-block",
         {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 0xFF, 0x44, 0x01, 0},
         gif::BlockKind::Image,
         0},
        {"image cut in its descriptor", {0x2C, 0, 0, 0, 0, 1, 0, 1}, gif::BlockKind::Image, 0},
        {"local table past the end", {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x87, 2, 1, 0}, gif::BlockKind::Image, 0},
        {"application cut in its header", {0x21, 0xFF, 11, 'N', 'E'}, gif::BlockKind::Application, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gif::KindAt(c.block.data(), c.block.size(), 0), c.kind) << c.name;
        EXPECT_EQ(gif::BlockLength(c.block.data(), c.block.size(), 0), c.length) << c.name;
    }
    Bytes one = {0x3B};
    EXPECT_EQ(gif::KindAt(one.data(), one.size(), 1), gif::BlockKind::Unknown);
}

TEST(GifFrames, CountsAndCutsAnAnimation) {
    const GifBuilder gif = ThreeFrames();
    const Bytes& data = gif.Get();
    EXPECT_EQ(Count(data), 3);

    gif::Screen screen;
    ASSERT_TRUE(gif::ReadScreen(data.data(), data.size(), &screen));
    const std::vector<gif::Frame> frames = CutAll(data);
    ASSERT_EQ(frames.size(), 3u);
    struct Expect {
        unsigned delay;
        int disposal, left, top, width, height;
    } expected[] = {{9, 2, 0, 0, 20, 10}, {4, 3, 3, 2, 5, 4}, {120, 1, 10, 5, 10, 5}};
    // Each frame is the shared header and its own blocks from the source,
    // then a trailer; the comment between frames travels with the next one.
    size_t from = 13 + 12 + 19;  // header, colour table, looping extension
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const gif::Frame& f = frames[i];
        EXPECT_EQ(f.delay, expected[i].delay);
        EXPECT_EQ(f.disposal, expected[i].disposal);
        EXPECT_EQ(f.left, expected[i].left);
        EXPECT_EQ(f.top, expected[i].top);
        EXPECT_EQ(f.width, expected[i].width);
        EXPECT_EQ(f.height, expected[i].height);
        Bytes want(data.begin(), data.begin() + static_cast<long>(screen.HeaderLength()));
        if (i == 1) from += 16;  // the comment block sits before the second frame
        want.insert(want.end(), data.begin() + static_cast<long>(from),
                    data.begin() + static_cast<long>(gif.FrameEnds()[i]));
        want.push_back(0x3B);
        EXPECT_EQ(f.bytes, want);
        from = gif.FrameEnds()[i];
        // A cut frame is a GIF of one frame on its own.
        EXPECT_EQ(Count(f.bytes), 1);
        EXPECT_EQ(f.bytes.back(), 0x3B);
    }
}

TEST(GifFrames, SingleFrameWithoutControlExtension) {
    GifBuilder gif("GIF87a", 8, 8, 1);
    gif.Image(1, 2, 6, 5).Trailer();
    EXPECT_EQ(Count(gif.Get()), 1);
    const std::vector<gif::Frame> frames = CutAll(gif.Get());
    ASSERT_EQ(frames.size(), 1u);
    // No timing: the box treats it like a frame without delay.
    EXPECT_EQ(frames[0].delay, gif::kNoDelay);
    EXPECT_EQ(frames[0].disposal, 0);
    EXPECT_EQ(frames[0].left, 1);
    EXPECT_EQ(frames[0].height, 5);
    EXPECT_EQ(frames[0].bytes, gif.Get());
}

TEST(GifFrames, PlainTextCountsAsAFrame) {
    GifBuilder gif;
    gif.Control(5, 0).PlainText("hello").Image(0, 0, 2, 2).Trailer();
    EXPECT_EQ(Count(gif.Get()), 2);
    const std::vector<gif::Frame> frames = CutAll(gif.Get());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].delay, 5u);
    EXPECT_EQ(frames[0].width, 0);  // plain text carries no image descriptor
    EXPECT_EQ(frames[1].delay, gif::kNoDelay);
}

TEST(GifFrames, NotAGifHasNoFrames) {
    GifBuilder wrongVersion("GIF90a");
    wrongVersion.Control(9, 2).Image(0, 0, 4, 4).Trailer();
    EXPECT_EQ(Count(wrongVersion.Get()), 0);
    EXPECT_TRUE(CutAll(wrongVersion.Get()).empty());
    EXPECT_EQ(gif::CountFrames(nullptr, 0), 0);
    Bytes header = Prefix(ThreeFrames().Get(), 6);
    EXPECT_EQ(Count(header), 0);
}

TEST(GifFrames, MissingTrailerKeepsEveryFrame) {
    const Bytes data = ThreeFrames().Get();
    const Bytes cut = Prefix(data, data.size() - 1);
    EXPECT_EQ(Count(cut), 3);
    EXPECT_EQ(CutAll(cut).size(), 3u);
}

// Every possible truncation: the frames that end inside the data are found,
// the rest are not, and neither the count nor the cutting reads past the end.
TEST(GifFrames, TruncatedChainEndsAtTheLastWholeFrame) {
    const GifBuilder gif = ThreeFrames();
    const Bytes& data = gif.Get();
    for (size_t length = 0; length <= data.size(); ++length) {
        const Bytes cut = Prefix(data, length);
        int whole = 0;
        for (size_t end : gif.FrameEnds()) whole += end <= length ? 1 : 0;
        ASSERT_EQ(Count(cut), whole) << "length " << length;
        const std::vector<gif::Frame> frames = CutAll(cut);
        ASSERT_EQ(frames.size(), static_cast<size_t>(whole)) << "length " << length;
        for (const gif::Frame& f : frames) ASSERT_EQ(Count(f.bytes), 1) << "length " << length;
    }
}

TEST(GifFrames, BrokenChainEndsTheCountWhereItBreaks) {
    struct Case {
        const char* name;
        Bytes after;     // blocks after one good frame
        bool goodAfter;  // a good frame follows, which must not be reached
        int frames;
    } cases[] = {
        {"unknown block", {0x00, 0x2C}, true, 1},
        {"unknown extension", {0x21, 0x99, 0}, true, 1},
        {"control then trailer", {0x21, 0xF9, 4, 0, 9, 0, 0, 0, 0x3B}, true, 1},
        {"control then unknown", {0x21, 0xF9, 4, 0, 9, 0, 0, 0, 0x42}, true, 1},
        {"control cut short", {0x21, 0xF9, 4, 0, 9}, false, 1},
        {"huge sub-block size in an image", {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 0xFF, 1, 2, 3, 0}, false, 1},
        {"huge sub-block size in a comment", {0x21, 0xFE, 0xFE, 'a', 0}, false, 1},
        {"huge sub-block size in an application block",
         {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0xFF, 1, 0},
         false,
         1},
        {"chain without terminator", {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 2, 1, 2, 3, 4}, false, 1},
        {"second good frame", {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 1, 7, 0}, false, 2},
    };
    for (const Case& c : cases) {
        GifBuilder gif;
        gif.Control(9, 2).Image(0, 0, 20, 10).Raw(c.after);
        if (c.goodAfter) gif.Control(9, 2).Image(0, 0, 20, 10).Trailer();
        const Bytes exact = gif.Get();
        EXPECT_EQ(Count(exact), c.frames) << c.name;
        EXPECT_EQ(CutAll(exact).size(), static_cast<size_t>(c.frames)) << c.name;
    }
}

TEST(GifFrames, ColourTableLargerThanTheDataGivesNoFrame) {
    // 768-byte table announced, the data stops inside it.
    Bytes data = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x87, 0, 0, 1, 2, 3, 0x2C};
    EXPECT_EQ(Count(data), 0);
    EXPECT_TRUE(CutAll(data).empty());
}

TEST(GifFrames, StepAndCutAgreeOnPositions) {
    const Bytes data = ThreeFrames().Get();
    gif::Walker stepper(data.data(), data.size());
    gif::Walker cutter(data.data(), data.size());
    gif::Frame frame;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(stepper.StepGraphicBlock());
        ASSERT_TRUE(cutter.CutFrame(&frame));
        EXPECT_EQ(stepper.Position(), cutter.Position());
    }
    EXPECT_FALSE(stepper.StepGraphicBlock());
    EXPECT_FALSE(cutter.CutFrame(&frame));
    // Reset starts over after the colour table.
    cutter.Reset();
    EXPECT_EQ(cutter.Position(), 13u + 12u);
    EXPECT_TRUE(cutter.CutFrame(&frame));
    EXPECT_EQ(frame.delay, 9u);
}

TEST(GifTiming, ShortDelaysAndMissingTimingWaitAHundredMilliseconds) {
    struct Case {
        unsigned delay, wait;
    } cases[] = {
        {0, 100}, {1, 100}, {4, 100}, {5, 50}, {9, 90}, {10, 100}, {100, 1000}, {65535, 655350}, {gif::kNoDelay, 100}};
    for (const Case& c : cases) EXPECT_EQ(gif::FrameWaitMs(c.delay), c.wait) << c.delay;
}

}  // namespace
