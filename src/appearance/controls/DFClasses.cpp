#include "appearance/controls/DFClasses.h"

#include "toolkit/Win32Gdi.h"

namespace kavrix {

void TDFGraphicControl::UpdateBuffer() {
  if (buffer_.Width() == Width() && buffer_.Height() == Height()) return;
  buffer_.SetSize(Width(), Height());
}

void TDFGraphicControl::Paint(TCanvas& canvas) {
  if (buffer_.Width() != Width() || buffer_.Height() != Height()) UpdateBuffer();
  if (buffer_.Empty()) return;
  RECT clip{};
  if (::GetClipBox(canvas.Handle(), &clip) == ERROR) return;
  ::BitBlt(canvas.Handle(), clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
           buffer_.Canvas().Handle(), clip.left, clip.top, SRCCOPY);
}

}  // namespace kavrix
