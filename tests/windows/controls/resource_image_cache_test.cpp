// Resource images decoded once and shared.
#include "controls/resource_image_cache.h"
#include "test_resources.h"
#include "undecodable_resources.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

using namespace kestrid_test;

namespace {

Gdiplus::ARGB PixelOf(const CGdiPlusBitmapResource* image, int x, int y) {
    Gdiplus::Color colour;
    image->m_pBitmap->GetPixel(x, y, &colour);
    return colour.GetValue();
}

}  // namespace

class ResourceImageCacheTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGdiplus(); }
    CResourceImageCache cache;
};

TEST_F(ResourceImageCacheTest, EachImageIsDecodedOnceAndHandedToEveryone) {
    const CGdiPlusBitmapResource* red = cache.Find(IDP_RED, "PNG");
    ASSERT_NE(red, nullptr);
    ASSERT_NE(red->m_pBitmap, nullptr);
    EXPECT_EQ(PixelOf(red, 5, 5), 0xFFFF0000u);
    const CGdiPlusBitmapResource* green = cache.Find(IDP_GREEN, "PNG");
    ASSERT_NE(green, nullptr);
    EXPECT_NE(green->m_pBitmap, red->m_pBitmap);
    EXPECT_EQ(PixelOf(green, 0, 0), 0xFF00FF00u);

    // Asked again, with the executable named or not: the same objects.
    EXPECT_EQ(cache.Find(IDP_RED, "PNG"), red);
    EXPECT_EQ(cache.Find(IDP_RED, "PNG", ::GetModuleHandleA(nullptr)), red);
    EXPECT_EQ(cache.Find(IDP_RED, "PNG")->m_pBitmap, red->m_pBitmap);
    EXPECT_EQ(cache.Find(IDP_GREEN, "PNG"), green);
    EXPECT_EQ(cache.Size(), 2u);
}

// Nothing is held for what cannot be decoded, and a later request tries again.
TEST_F(ResourceImageCacheTest, WhatCannotBeDecodedIsNotHeld) {
    for (const UndecodableResource& c : kUndecodableResources) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cache.Find(c.id, c.type), nullptr);
        EXPECT_EQ(cache.Find(c.id, c.type), nullptr);
        EXPECT_EQ(cache.Size(), 0u);
    }
}

TEST_F(ResourceImageCacheTest, ReleaseAllFreesTheImagesAndTheirBytes) {
    const CGdiPlusBitmapResource* red = cache.Find(IDP_RED, "PNG");
    ASSERT_NE(red, nullptr);
    HGLOBAL block = red->m_hBuffer;
    ASSERT_NE(block, nullptr);
    ASSERT_NE(cache.Find(IDP_BLUE, "PNG"), nullptr);

    cache.ReleaseAll();
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_EQ(::GlobalFlags(block), static_cast<UINT>(GMEM_INVALID_HANDLE));
    // Decoded afresh on the next request.
    const CGdiPlusBitmapResource* again = cache.Find(IDP_RED, "PNG");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(PixelOf(again, 5, 5), 0xFFFF0000u);
    EXPECT_EQ(cache.Size(), 1u);
}
