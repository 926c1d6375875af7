#pragma once
// TGradientForm: a form that paints its own caption bar. The bar shows a horizontal
// gradient from a start colour at the left to a stop colour at the right (one pair for
// the active, one for the inactive state), the caption text in its own colours and font,
// an optional logo, and for forms with a system menu the small icon and caption buttons.
// Tool windows (bsToolWindow, bsSizeToolWin) get the small caption: its height, its font
// and a close button only.
// The system still paints frame and borders; the form takes only the caption rectangle
// out of the system's non-client painting and composes that rectangle off screen, so it
// reaches the screen in one copy.
//
// The form paints nothing of its own, and behaves as a plain TForm, while
// LeaveCaptionToSystem() holds: on a 16-colour screen, or when UseWin98Gradient is set on
// a system that draws gradient captions itself.
//
// Forms of this code base are built in code by their constructors: nothing is read from
// a stored description at construction. StoresGradientStopColor() and
// StoresGradientInactiveStopColor() say whether a stop colour differs from the default
// a writer would leave out.
//
// A program using the form links the dithering masks as resources of its own module;
// linking kavrix_appearance_caption brings them. Without them the gradient is painted
// undithered.
//
// The form treats itself as a plain top-level window: MDI frames and children do not
// exist in the toolkit, so the MDI client hook and the MDI variants of the caption are
// absent.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/Font.h"
#include "toolkit/Form.h"

struct HDC__;

namespace kavrix {

enum TGFPaintWhen : uint8_t { gfpAlways, gfpActive, gfpNever };
enum TGFLogoAlign : uint8_t { laLeft, laRight };

// Called while the caption bar is composed, after background, logo, icon and buttons and
// before the text: `canvas` draws into the off-screen bar (its font is CaptionFont), `r`
// is the room left for the text in bar coordinates; the text goes into the `r` the
// handler leaves.
using TGFOnCaptionPaint = std::function<void(TObject& sender, TCanvas& canvas, TRect& r)>;

class TGradientForm : public TForm {
 public:
  explicit TGradientForm(TComponent* owner);

  static std::string Version() { return "TGradientForm v2.01"; }

  // Hands the text to the window and repaints the caption bar. An assignment made while
  // another one, on any form of this class, is still in progress is ignored. Text set
  // on the window from elsewhere (WM_SETTEXT) comes here as well.
  void SetCaption(const std::string& caption);

  const TFont& CaptionFont() const noexcept { return captionFont_; }
  // Copies `font` and clears UseSystemCaptionFont; the font keeps the system caption
  // font's height all the same.
  void SetCaptionFont(const TFont& font);
  // While set, CaptionFont follows the system caption font in every attribute.
  bool UseSystemCaptionFont() const noexcept { return useSystemCaptionFont_; }
  void SetUseSystemCaptionFont(bool use);

  // Bands of the gradient, 8 to 512; other values are ignored.
  int GradientColors() const noexcept { return gradientColors_; }
  void SetGradientColors(int colors);

  TColor CaptionTextColor() const noexcept { return captionTextColor_; }
  void SetCaptionTextColor(TColor color);
  TColor InactiveCaptionTextColor() const noexcept { return inactiveCaptionTextColor_; }
  void SetInactiveCaptionTextColor(TColor color);

  // Gradient ends; system colours are resolved when the tables are built (at every
  // assignment and on a change of the system colours).
  TColor GradientStartColor() const noexcept { return startColor_; }
  void SetGradientStartColor(TColor color);
  TColor GradientStopColor() const noexcept { return stopColor_; }
  void SetGradientStopColor(TColor color);
  TColor GradientInactiveStartColor() const noexcept { return inactiveStartColor_; }
  void SetGradientInactiveStartColor(TColor color);
  TColor GradientInactiveStopColor() const noexcept { return inactiveStopColor_; }
  void SetGradientInactiveStopColor(TColor color);
  // False while the stop colour is the state's system caption colour, the default.
  bool StoresGradientStopColor() const noexcept { return !stopColorIsSystem_; }
  bool StoresGradientInactiveStopColor() const noexcept { return !inactiveStopColorIsSystem_; }

  TGFPaintWhen PaintGradient() const noexcept { return paintGradient_; }
  void SetPaintGradient(TGFPaintWhen when);
  bool UseWin98Gradient() const noexcept { return useWin98Gradient_; }
  // A change makes the window anew, so that its new painter paints all of it.
  void SetUseWin98Gradient(bool use);
  bool UseDithering() const noexcept { return useDithering_; }
  void SetUseDithering(bool use);

  // Copies of the given bitmaps. An empty Logo means no logo in either state; an empty
  // InactiveLogo makes the inactive caption show Logo.
  const TBitmap& Logo() const noexcept { return logo_; }
  void SetLogo(const TBitmap& logo);
  const TBitmap& InactiveLogo() const noexcept { return inactiveLogo_; }
  void SetInactiveLogo(const TBitmap& logo);
  TGFLogoAlign LogoAlign() const noexcept { return logoAlign_; }
  void SetLogoAlign(TGFLogoAlign align);
  // Whether the caption text may run over the logo.
  bool LogoLayered() const noexcept { return logoLayered_; }
  void SetLogoLayered(bool layered);

  TGFOnCaptionPaint OnCaptionPaint;

  // The band colours of a state, plain RGB, GradientColors entries.
  const std::vector<TColor>& BandColors(bool active) const noexcept { return bandColors_[active ? 1 : 0]; }

  // Whether the caption is to be shown active: the form's window is the active one.
  bool CaptionIsActive();
  // Planes × bits per pixel of the screen.
  static int ScreenColorDepth();
  bool LeaveCaptionToSystem() const;
  // Makes the system repaint the whole frame (and so the caption bar), unless the
  // caption is left to the system.
  void RefreshFrame();
  // The caption's font and measures follow the density the form is laid out at, which
  // is its window's (on showing it, and when it moves to a display of another scale).
  void ChangeScale(int toDpi, int fromDpi) override;

 protected:
  // The caption rectangle in window coordinates; empty for a form without border.
  virtual TRect CaptionBarRect();
  // Composes the whole caption bar of the given state off screen and copies it to `dc`
  // (a window device context); returns the caption rectangle it painted.
  virtual TRect RenderCaption(HDC__* dc, bool active);
  // Draws the small icon (the window's, else the program's, else the system's) at the
  // left of `r` and moves r's left edge past it.
  virtual void DrawFormIcon(HDC__* dc, TRect& r, bool active);
  virtual void FillCaptionSolid(HDC__* dc, const TRect& r, bool active, TColor activeColor, TColor inactiveColor);
  // The state's gradient over `r`: dithered (when asked and possible), stretched from
  // the band colours, or in bands; pixel for pixel what the portable fill computes.
  virtual void FillCaptionGradient(HDC__* dc, const TRect& r, bool dither, bool active);
  virtual void DrawCaptionTitle(HDC__* dc, TRect r, bool active);
  // Draws the caption buttons at the right of `r` and moves r's right edge left of them.
  virtual void DrawTitleButtons(HDC__* dc, TRect& r);
  virtual void BuildColorTables();
  // UseWin98Gradient on a system that draws gradient captions.
  virtual bool SystemGradientActive() const;
  // Takes the system caption font (all of it, or only its height) and refreshes the frame.
  virtual void RefreshCaptionFont();
  // Paints the caption bar on the window now.
  virtual void RepaintCaption(bool active);

  void HandleCreated() override;
  intptr_t WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  void ComposeCaption(HDC__* dc, TRect r, bool active);
  void DrawLogoArea(HDC__* dc, TRect& r, bool active);
  bool ShowsIcon() const noexcept;
  // A system metric (SM_ index) at the form's density.
  int SystemMetric(int index) const;
  intptr_t NonClientPaint(uintptr_t wParam, intptr_t lParam);
  intptr_t SetTextMessage(uintptr_t wParam, intptr_t lParam);
  intptr_t GetTextMessage(uintptr_t wParam, intptr_t lParam) const;
  intptr_t SysColorChange(uintptr_t wParam, intptr_t lParam);
  void ApplyNonClientRendering();

  std::array<std::vector<TColor>, 2> bandColors_;
  TColor captionTextColor_ = clWhite;
  TColor inactiveCaptionTextColor_ = clWhite;
  TColor startColor_ = clBlack;
  TColor stopColor_ = clActiveCaption;
  TColor inactiveStartColor_ = clBlack;
  TColor inactiveStopColor_ = clInactiveCaption;
  int gradientColors_ = 64;
  TGFPaintWhen paintGradient_ = gfpAlways;
  bool stopColorIsSystem_ = true;
  bool inactiveStopColorIsSystem_ = true;
  bool useWin98Gradient_ = false;
  bool osDrawsGradients_;
  bool lowColorDisplay_;
  TFont captionFont_;
  bool useSystemCaptionFont_ = true;
  bool useDithering_ = true;
  TBitmap logo_;
  TGFLogoAlign logoAlign_ = laRight;
  bool logoLayered_ = false;
  TBitmap inactiveLogo_;
};

}  // namespace kavrix
