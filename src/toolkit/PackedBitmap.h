#pragma once
// Pictures a program carries packed with the payload's codec: a resource of type
// kPackedBitmapType holding a whole .bmp file, packed. setup.exe's pictures are a tenth
// of their size that way, which every download of it saves.

#include <string>

struct HBITMAP__;
struct HINSTANCE__;

namespace kavrix {

inline constexpr char kPackedBitmapType[] = "PACKEDBITMAP";

// A DIB section with the picture of `module`'s packed bitmap `name`, pixel for pixel as
// the system loads the unpacked file; nullptr when `module` has no such resource or it
// does not hold a whole bitmap. The caller owns the bitmap.
HBITMAP__* LoadPackedBitmap(HINSTANCE__* module, const std::string& name);

}  // namespace kavrix
