#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/PackedBitmap.h"

namespace kavrix {
namespace {

// The picture of `bitmap` as 32-bit top-down pixels, however it is stored.
std::vector<uint32_t> Pixels(HBITMAP bitmap) {
  BITMAP shape{};
  ::GetObjectA(bitmap, sizeof shape, &shape);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shape.bmWidth;
  info.bmiHeader.biHeight = -shape.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(shape.bmWidth) * shape.bmHeight);
  HDC screen = ::GetDC(nullptr);
  ::GetDIBits(screen, bitmap, 0, shape.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

TEST(PackedPictures, SetupCarriesEveryPicturePackedAndShowsItPixelForPixel) {
  HMODULE setup = ::LoadLibraryExA(KAVRIX_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(setup, nullptr) << KAVRIX_SETUP_EXE;
  const struct {
    const char* resource;
    const char* file;
  } pictures[] = {{"LOGO", "logo"},     {"BANNER", "banner"}, {"NEWFOLDER", "newfolder"}, {"EXCLAM", "EXCLAM"},
                  {"ERROR", "ERROR"},   {"INFORM", "INFORM"}, {"INTERR", "INTERR"}, {"EXCLAM_144", "EXCLAM_144"}};
  for (const auto& picture : pictures) {
    SCOPED_TRACE(picture.resource);
    EXPECT_EQ(::FindResourceA(setup, picture.resource, MAKEINTRESOURCEA(2) /* RT_BITMAP */), nullptr)
        << "carried unpacked";
    EXPECT_NE(::FindResourceA(setup, picture.resource, kPackedBitmapType), nullptr);

    TBitmap carried;
    carried.LoadFromResourceName(setup, picture.resource);
    const std::string drawn = std::string(KAVRIX_ARTWORK_DIR) + "/" + picture.file + ".bmp";
    HBITMAP original = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, drawn.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(original, nullptr) << drawn;
    const std::vector<uint32_t> expected = Pixels(original);
    EXPECT_FALSE(expected.empty());
    EXPECT_TRUE(Pixels(carried.Handle()) == expected) << "a picture differs from the drawn file";
    ::DeleteObject(original);
  }
  ::FreeLibrary(setup);
}

TEST(PackedPictures, EachDisplayGetsThePictureDrawnForTheNearestDensityCarried) {
  HMODULE setup = ::LoadLibraryExA(KAVRIX_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(setup, nullptr) << KAVRIX_SETUP_EXE;
  // The warning strip is carried for 96 and 144 DPI, the error strip for 96 only.
  for (const auto& [dpi, height] : {std::pair{96, 32}, std::pair{110, 32}, std::pair{120, 48}, std::pair{144, 48},
                                    std::pair{192, 48}}) {
    TBitmap strip;
    strip.LoadFromResourceName(setup, "EXCLAM", dpi);
    EXPECT_EQ(strip.Height(), height) << dpi << " dpi";
    strip.LoadFromResourceName(setup, "ERROR", dpi);
    EXPECT_EQ(strip.Height(), 32) << dpi << " dpi";
  }
  ::FreeLibrary(setup);
}

TEST(PackedPictures, ANameWithNeitherKindOfPictureIsNotFound) {
  TBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromResourceName(nullptr, "NOSUCHPICTURE"), std::exception);
  EXPECT_EQ(LoadPackedBitmap(::GetModuleHandleA(nullptr), "NOSUCHPICTURE"), nullptr);
}

}  // namespace
}  // namespace kavrix
