#pragma once
// The gradient description of a background: its values, the change notification that
// drives the owner's repainting, and its painting into a pixel buffer.

#include <functional>

#include "appearance/render/BandGradient.h"
#include "foundation/Component.h"

namespace kavrix {

class TCanvas;  // the window toolkit's; only the presenting side ever calls the event
struct TRect;

// Paints one step of a gsCustomRect gradient on a canvas whose brush holds the step's
// colour and whose pen is cleared. The sender is always null.
using TDrawRectEvent = std::function<void(TObject* sender, TCanvas& canvas, const TRect& rect)>;

class TGradient : public TObject {
 public:
  TGradient() = default;

  const GradientSettings& Settings() const noexcept { return settings_; }

  TGradientStyle GradientStyle() const noexcept { return settings_.gradientStyle; }
  void SetGradientStyle(TGradientStyle value) { Store(settings_.gradientStyle, value); }
  int LineSize() const noexcept { return settings_.lineSize; }
  void SetLineSize(int value) { Store(settings_.lineSize, value); }
  TColor Color1() const noexcept { return settings_.colors[0]; }
  void SetColor1(TColor value) { Store(settings_.colors[0], value); }
  TColor Color2() const noexcept { return settings_.colors[1]; }
  void SetColor2(TColor value) { Store(settings_.colors[1], value); }
  TColor Color3() const noexcept { return settings_.colors[2]; }
  void SetColor3(TColor value) { Store(settings_.colors[2], value); }
  TColor Color4() const noexcept { return settings_.colors[3]; }
  void SetColor4(TColor value) { Store(settings_.colors[3], value); }
  TColor Color5() const noexcept { return settings_.colors[4]; }
  void SetColor5(TColor value) { Store(settings_.colors[4], value); }
  int ColorCount() const noexcept { return settings_.colorCount; }
  // The type is a range 1..4; values outside it are clamped into it.
  void SetColorCount(int value);
  TDirection LineDirection() const noexcept { return settings_.lineDirection; }
  void SetLineDirection(TDirection value) { Store(settings_.lineDirection, value); }

  // Copies every value but the two events, then raises OnChange even when nothing
  // differed, as assigning a gradient does.
  void Assign(const TGradient& source);

  // Paints over the whole of `target`; see PaintGradient. gsCustomRect paints as gsRect
  // here: its steps are painted on a canvas, by the control that presents the gradient.
  void PaintGradient(PixelBuffer& target) const;

  TNotifyEvent OnChange;
  // The canvas painter of gsCustomRect steps.
  TDrawRectEvent OnDrawRect;

 private:
  template <typename T>
  void Store(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed();

  GradientSettings settings_;
};

}  // namespace kavrix
