// Images from the executable's resources through GDI+.
#include "controls/gdiplus_bitmap.h"
#include "test_resources.h"
#include "undecodable_resources.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

using namespace kestrid_test;

namespace {

Gdiplus::ARGB PixelOf(Gdiplus::Bitmap* bitmap, int x, int y) {
    Gdiplus::Color colour;
    bitmap->GetPixel(x, y, &colour);
    return colour.GetValue();
}

// A block that was freed is no longer a valid handle; one that was freed and
// handed out again for the next image is locked once, not twice.
void ExpectReleased(HGLOBAL old, HGLOBAL current) {
    if (old == current) {
        EXPECT_EQ(::GlobalFlags(current) & GMEM_LOCKCOUNT, 1u);
    } else {
        EXPECT_EQ(::GlobalFlags(old), static_cast<UINT>(GMEM_INVALID_HANDLE));
    }
}

}  // namespace

class GdiplusBitmapTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGdiplus(); }
};

TEST_F(GdiplusBitmapTest, LoadsAPngResourceAndKeepsItsBytesLocked) {
    CGdiPlusBitmapResource image;
    ASSERT_TRUE(image.LoadFromResource(IDP_RED, "PNG"));
    ASSERT_NE(image.m_pBitmap, nullptr);
    EXPECT_EQ(static_cast<Gdiplus::Bitmap*>(image), image.m_pBitmap);
    EXPECT_EQ(image.m_pBitmap->GetWidth(), 40u);
    EXPECT_EQ(image.m_pBitmap->GetHeight(), 20u);
    EXPECT_EQ(PixelOf(image, 5, 5), 0xFFFF0000u);
    ASSERT_NE(image.m_hBuffer, nullptr);
    EXPECT_EQ(::GlobalFlags(image.m_hBuffer) & GMEM_LOCKCOUNT, 1u);
    EXPECT_GT(::GlobalSize(image.m_hBuffer), 0u);
}

TEST_F(GdiplusBitmapTest, LoadsByResourceName) {
    CGdiPlusBitmapResource image;
    EXPECT_TRUE(image.LoadFromResource(MAKEINTRESOURCEA(IDP_GREEN), "PNG", ::GetModuleHandleA(nullptr)));
    ASSERT_NE(image.m_pBitmap, nullptr);
    EXPECT_EQ(PixelOf(image, 0, 0), 0xFF00FF00u);
}

TEST_F(GdiplusBitmapTest, ReloadReplacesTheImageAndFreesTheOldBlock) {
    CGdiPlusBitmapResource image;
    ASSERT_TRUE(image.LoadFromResource(IDP_RED, "PNG"));
    HGLOBAL first = image.m_hBuffer;
    ASSERT_TRUE(image.LoadFromResource(IDP_SMALL_GREEN, "PNG"));
    ASSERT_NE(image.m_pBitmap, nullptr);
    EXPECT_EQ(image.m_pBitmap->GetWidth(), 6u);
    EXPECT_EQ(PixelOf(image, 2, 2), 0xFF00FF00u);
    ASSERT_NE(image.m_hBuffer, nullptr);
    ExpectReleased(first, image.m_hBuffer);
}

// Every failure leaves the object empty, including the image it held before.
TEST_F(GdiplusBitmapTest, FailuresLeaveNoBitmapAndNoBlock) {
    for (const UndecodableResource& c : kUndecodableResources) {
        SCOPED_TRACE(c.what);
        CGdiPlusBitmapResource image;
        ASSERT_TRUE(image.LoadFromResource(IDP_RED, "PNG"));
        HGLOBAL previous = image.m_hBuffer;
        EXPECT_FALSE(image.LoadFromResource(c.id, c.type));
        EXPECT_EQ(image.m_pBitmap, nullptr);
        EXPECT_EQ(image.m_hBuffer, nullptr);
        EXPECT_EQ(::GlobalFlags(previous), static_cast<UINT>(GMEM_INVALID_HANDLE));
    }
}

TEST_F(GdiplusBitmapTest, StaysDrawableAfterTheStreamIsGone) {
    CGdiPlusBitmapResource image;
    ASSERT_TRUE(image.LoadFromResource(IDP_BLUE, "PNG"));
    Gdiplus::Bitmap target(50, 30, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&target);
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        EXPECT_EQ(graphics.DrawImage(image, 0, 0, 40, 20), Gdiplus::Ok);
    }
    EXPECT_EQ(PixelOf(&target, 10, 10), 0xFF0000FFu);
    EXPECT_EQ(PixelOf(&target, 45, 25), 0xFFFFFFFFu);
}

TEST_F(GdiplusBitmapTest, ReleaseImageEmptiesTheObject) {
    CGdiPlusBitmapResource image;
    ASSERT_TRUE(image.LoadFromResource(IDP_RED, "PNG"));
    HGLOBAL block = image.m_hBuffer;
    image.ReleaseImage();
    EXPECT_EQ(image.m_pBitmap, nullptr);
    EXPECT_EQ(image.m_hBuffer, nullptr);
    EXPECT_EQ(::GlobalFlags(block), static_cast<UINT>(GMEM_INVALID_HANDLE));
    image.ReleaseImage();  // twice is harmless
    EXPECT_EQ(image.m_pBitmap, nullptr);
}
