#pragma once
// A windowless horizontal bar gauge: the part from MinValue to Progress filled in
// ForeColor over BackColor, with the percentage done centred on it. It repaints itself
// at once whenever the percentage shown changes, so it moves while the program is busy
// and the message loop does not run.

#include "toolkit/Form.h"

namespace kavrix {

class TGauge : public TGraphicControl {
 public:
  explicit TGauge(TComponent* owner);

  int MinValue() const noexcept { return minValue_; }
  int MaxValue() const noexcept { return maxValue_; }
  // A minimum above the maximum moves the maximum up to it, and the reverse; Progress
  // is clamped into the new range.
  void SetMinValue(int value);
  void SetMaxValue(int value);
  int Progress() const noexcept { return progress_; }
  // Clamped to MinValue..MaxValue.
  void SetProgress(int value);
  // 0..100, truncated; 100 when the range is empty.
  int PercentDone() const noexcept;

  TColor ForeColor() const noexcept { return foreColor_; }
  void SetForeColor(TColor color);
  TColor BackColor() const noexcept { return backColor_; }
  void SetBackColor(TColor color);
  bool ShowText() const noexcept { return showText_; }
  void SetShowText(bool showText);
  // bsSingle: a one-pixel black frame; other values: none.
  TBorderStyle BorderStyle() const noexcept { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);

  void Paint(TCanvas& canvas) override;

 private:
  // Stores the clamped progress; repaints now when the percentage shown changes.
  void UpdateProgress(int value);

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  TColor foreColor_ = clBlack;
  TColor backColor_ = clWhite;
  bool showText_ = true;
  TBorderStyle borderStyle_ = bsSingle;
};

}  // namespace kavrix
