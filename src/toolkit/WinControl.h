#pragma once
// A control with a window of its own. The window is made when first needed (the parent's
// first) and destroyed with the control; its messages come to WndProc through the one
// window procedure of the toolkit, which is an exception boundary: an exception raised
// while handling a message is kept and continues in the message pump (or in Perform),
// never unwinding through the system's frames.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Control.h"

struct HWND__;
struct HDC__;
struct HBRUSH__;
struct tagDRAWITEMSTRUCT;

namespace kavrix {

struct TCreateParams {
  std::string className;  // empty: the toolkit's own window class
  uint32_t style = 0;
  uint32_t exStyle = 0;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window, made now if there is none yet.
  HWND__* Handle();
  bool HandleAllocated() const noexcept { return handle_ != nullptr; }

  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  TRect ClientRect() const override;
  void SetVisible(bool visible) override;

  int ControlCount() const noexcept { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }

  void SetFocus();
  bool Focused() const;
  bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool tabStop);

  void Invalidate() override;
  void Repaint() override;
  void InvalidateRect(const TRect& rect);
  // Paints what is invalid now.
  void Update();
  // Places the aligned children in the client area, in the order top, bottom, left,
  // right, client; each takes the remaining area's edge.
  void AlignControls();

  // Its own bounds and font, then the children's: each child has the font it follows
  // when it takes its new bounds, so what measures text (a label sizing itself, a
  // linked directory label) measures in the new font.
  void ChangeScale(int toDpi, int fromDpi) override;

  // Sends a message to the window, then continues an exception its handling raised.
  intptr_t Perform(uint32_t message, uintptr_t wParam, intptr_t lParam);

  // The control whose window is `window`, if it is one of the toolkit's.
  static TWinControl* FromHandle(HWND__* window) noexcept;

  // The visible windowless child at `point` (client coordinates), the last added on top.
  TControl* ControlAtPos(const TPoint& point) const noexcept;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // The window to create a window without parent for (its owner), if any.
  virtual HWND__* OwnerWindow() { return nullptr; }
  // Gives a newly made window the control's state.
  virtual void HandleCreated() {}
  virtual intptr_t WndProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
  intptr_t DefaultHandler(uint32_t message, uintptr_t wParam, intptr_t lParam);
  // A notification the control's window sent to its parent (WM_COMMAND's code).
  virtual void CommandNotify(uint16_t) {}
  // An owner-drawn control's window asks its parent to draw it (WM_DRAWITEM).
  virtual void DrawItem(const tagDRAWITEMSTRUCT&) {}
  // Makes the window again, for styles the system applies only at creation.
  void RecreateHandle();
  // The brush and text colours a standard control is painted with.
  virtual HBRUSH__* CtlColor(HDC__* dc);
  void ScaleChildren(int toDpi, int fromDpi);
  void MakeRoomForGrownText(int dpi);
  // Paints the windowless children whose bounds meet `area`.
  void PaintControls(TCanvas& canvas, const TRect& area);

  void TextChanged() override;
  void ColorChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;

 private:
  friend class TControl;
  friend intptr_t DispatchToControl(TWinControl& control, HWND__* window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void CreateHandle();
  void DestroyHandle() noexcept;
  void SyncBoundsFromWindow();
  // Mouse input for the windowless children: the one under the cursor, or the one that
  // took a press until the button comes up; MouseEnter/MouseLeave as the cursor moves.
  void RouteMouse(uint32_t message, uintptr_t wParam, intptr_t lParam);
  TControl* HoverAt(const TPoint& point) const noexcept;
  void SetHoverControl(TControl* control);
  // Shows the hovered windowless child's Hint in a tool tip when its ShowHint is set.
  void UpdateToolTip();
  bool OfferDialogChar(char key);

  std::vector<TControl*> controls_;
  HWND__* handle_ = nullptr;
  void* standardProcedure_ = nullptr;  // the class' procedure of a subclassed standard control
  HBRUSH__* brush_ = nullptr;          // for CtlColor, in colour brushColor_
  TColor brushColor_ = 0;
  bool tabStop_ = false;
  bool aligning_ = false;
  TControl* hoverControl_ = nullptr;    // windowless child under the cursor
  TControl* captureControl_ = nullptr;  // windowless child holding a press
  TMouseButton captureButton_ = mbLeft;
  bool trackingLeave_ = false;
  struct ToolTip;
  std::unique_ptr<ToolTip> toolTip_;  // made for the first hint shown
};

}  // namespace kavrix
