#pragma once
// The flat explorer-style button: drawn on its parent's surface, showing a bevel only
// while the mouse is over it or it is pressed, with radio groups of toggle buttons, an
// optional drop-down menu and a grey image for the resting state.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "appearance/render/ButtonRenderer.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Control.h"
#include "toolkit/layout/DpiScale.h"
#include "toolkit/layout/Mnemonics.h"

struct HMENU__;

namespace kavrix {

enum TExplorerButtonOption : uint8_t { boMonoDisplay = 1, boIconOnly = 2, boPopupMark = 4, boShowBevel = 8 };
// A set of TExplorerButtonOption bits.
using TExplorerButtonOptions = uint8_t;

// The button's cursor test: inside only strictly between the edges on all four sides,
// so a point on the control's top row or left column is outside.
bool StrictlyInside(const TRect& bounds, TPoint point) noexcept;

class TExplorerButton : public TGraphicControl {
 public:
  explicit TExplorerButton(TComponent* owner);
  ~TExplorerButton() override;

  TAlignment Alignment() const noexcept { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AllowAllUp() const noexcept { return allowAllUp_; }
  // A grouped button passes the value on to the other buttons of its group.
  void SetAllowAllUp(bool value);
  TBevelStyle BevelStyle() const noexcept { return bevelStyle_; }
  void SetBevelStyle(TBevelStyle value);

  // The bitmap setters copy the image.
  TBitmap& Bitmap() noexcept { return bitmap_; }
  void SetBitmap(TBitmap& value);
  TBitmap& NoFocusBitmap() noexcept { return noFocusBitmap_; }
  void SetNoFocusBitmap(TBitmap& value);
  TBitmap& DisabledBitmap() noexcept { return disabledBitmap_; }
  void SetDisabledBitmap(TBitmap& value);
  // The grey variant shown at rest with boMonoDisplay. Derived from Bitmap whenever
  // Bitmap, NoFocusBitmap or ShadingType changes (while Bitmap is set and NoFocusBitmap
  // is empty); stored data read by ReadIBitmap replaces it.
  TBitmap& IBitmap() noexcept { return iBitmap_; }
  // The stored "IBitmap" data: a complete BMP file image, or no bytes for an empty
  // image. Reading raises EInvalidGraphic for data that is not a BMP file image.
  void ReadIBitmap(std::span<const uint8_t> data);
  std::vector<uint8_t> WriteIBitmap();

  bool Down() const noexcept { return down_; }
  void SetDown(bool value);
  // The menu opened by a left press instead of a click; not owned.
  HMENU__* DropDownMenu() const noexcept { return dropDownMenu_; }
  void SetDropDownMenu(HMENU__* value);
  int GroupIndex() const noexcept { return groupIndex_; }
  void SetGroupIndex(int value);
  TExplorerButtonLayout Layout() const noexcept { return layout_; }
  void SetLayout(TExplorerButtonLayout value);
  TExplorerButtonOptions Options() const noexcept { return options_; }
  void SetOptions(TExplorerButtonOptions value);
  TExplorerButtonShadingType ShadingType() const noexcept { return shadingType_; }
  void SetShadingType(TExplorerButtonShadingType value);
  bool ShowDownPattern() const noexcept { return showDownPattern_; }
  void SetShowDownPattern(bool value);
  TColor UnselectedFontColor() const noexcept { return unselectedFontColor_; }
  void SetUnselectedFontColor(TColor value);
  bool WordWrap() const noexcept { return wordWrap_; }
  void SetWordWrap(bool value);

  bool Pushed() const noexcept { return pushed_; }
  bool MouseInside() const noexcept { return mouseInside_; }

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  void Paint(TCanvas& canvas) override;

  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool DialogChar(char key) override;
  // The images, drawn for 96 DPI, are shown enlarged with the button.
  void ChangeScale(int toDpi, int fromDpi) override;

 protected:
  void TextChanged() override;
  void ColorChanged() override {}  // the bevel colour takes effect at the next paint
  void EnabledChanged() override;

 private:
  bool HasOption(TExplorerButtonOption option) const noexcept { return (options_ & option) != 0; }
  bool ShowsText() const noexcept { return !HasOption(boIconOnly) && !Caption().empty(); }
  bool ShowsPopupMark() const noexcept { return HasOption(boPopupMark) && dropDownMenu_ != nullptr; }
  template <typename Visit>
  void ForEachInGroup(Visit visit);
  void ReleaseGroup();
  void ImageChanged();
  void DeriveGreyImage();
  void LeftButtonDown();
  void LeftButtonUp();
  void AfterMenu();
  bool CursorInside() const;

  // Painting steps.
  uint32_t TextFormat() const noexcept;
  ButtonLayoutInput LayoutInput(TCanvas& canvas, std::string& text) const;
  void DrawBevel(TCanvas& canvas, BevelLook look) const;
  void DrawText(TCanvas& canvas, const std::string& text, TRect rect) const;
  void DrawPopupMark(TCanvas& canvas, Point origin) const;
  void PaintDisabled(TCanvas& canvas, const ButtonLayout& layout, const std::string& text);

  TAlignment alignment_ = TAlignment::taCenter;
  bool allowAllUp_ = false;
  TBevelStyle bevelStyle_ = TBevelStyle::bsRaised;
  TBitmap bitmap_;
  TBitmap noFocusBitmap_;
  TBitmap disabledBitmap_;
  TBitmap iBitmap_;
  bool down_ = false;
  HMENU__* dropDownMenu_ = nullptr;
  int groupIndex_ = 0;
  int pixelsPerInch_ = kDesignDpi;
  TExplorerButtonLayout layout_ = TExplorerButtonLayout::blBitmapTop;
  TExplorerButtonOptions options_ = boMonoDisplay | boPopupMark | boShowBevel;
  TExplorerButtonShadingType shadingType_ = TExplorerButtonShadingType::stMedium;
  bool showDownPattern_ = true;
  TColor unselectedFontColor_ = clWindowText;
  bool wordWrap_ = false;
  bool pushed_ = false;
  bool mouseInside_ = false;
};

}  // namespace kavrix
