#include "appearance/caption/DitherMaskResources.h"

#include <windows.h>

#include <memory>
#include <span>

#include "appearance/render/DitherMaskBitmap.h"

namespace kavrix {
namespace {

std::unique_ptr<const DecodedDitherMask> LoadMask(const char* name, const DitherMask& portable) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC info = ::FindResourceExA(module, MAKEINTRESOURCEA(2) /* RT_BITMAP */, name,
                                 MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (!info) return nullptr;
  // A loaded resource is part of the mapped module image: nothing to free.
  HGLOBAL loaded = ::LoadResource(module, info);
  const auto* data = loaded ? static_cast<const uint8_t*>(::LockResource(loaded)) : nullptr;
  if (!data) return nullptr;
  auto mask = DecodedDitherMask::FromDib(std::span(data, ::SizeofResource(module, info)));
  if (!mask || mask->Mask().width != portable.width || mask->Mask().height != portable.height) return nullptr;
  return mask;
}

}  // namespace

const DitherMask* ResourceDitherMask(const DitherMask& portable) {
  static const std::unique_ptr<const DecodedDitherMask> mask1 = LoadMask("GF_DITHGRADMASK1", DitherMask1());
  static const std::unique_ptr<const DecodedDitherMask> mask2 = LoadMask("GF_DITHGRADMASK2", DitherMask2());
  const auto& mask = &portable == &DitherMask2() ? mask2 : mask1;
  return mask ? &mask->Mask() : nullptr;
}

}  // namespace kavrix
