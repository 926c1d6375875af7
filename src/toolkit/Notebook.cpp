#include "toolkit/Notebook.h"

namespace kavrix {

TPage::TPage(TComponent* owner) : TCustomControl(owner) { SetParentColor(true); }

void TPage::ChangeScale(int toDpi, int fromDpi) {
  ScaleFont(toDpi, fromDpi);
  ScaleChildren(toDpi, fromDpi);
}

TNotebook::TNotebook(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 150, 150); }

TPage* TNotebook::AddPage(const std::string& name) {
  auto* page = new TPage(this);
  page->SetCaption(name);
  page->SetVisible(pages_.empty());
  page->SetParent(this);
  const TRect client = ClientRect();
  page->SetBounds(client.Left, client.Top, client.Width(), client.Height());
  pages_.push_back(page);
  if (pageIndex_ < 0) pageIndex_ = 0;
  return page;
}

void TNotebook::Resized() {
  // Hidden pages too: their controls keep their places for when the page is shown.
  const TRect client = ClientRect();
  for (TPage* page : pages_) page->SetBounds(client.Left, client.Top, client.Width(), client.Height());
}

void TNotebook::SetPageIndex(int index) {
  if (index < 0 || index >= PageCount() || index == pageIndex_) return;
  TPage* previous = pageIndex_ >= 0 ? pages_[static_cast<size_t>(pageIndex_)] : nullptr;
  pageIndex_ = index;
  // Shown before the old page is hidden, so the notebook's own background never flashes.
  pages_[static_cast<size_t>(index)]->SetVisible(true);
  if (previous) previous->SetVisible(false);
}

const std::string& TNotebook::ActivePage() const {
  static const std::string none;
  return pageIndex_ >= 0 ? pages_[static_cast<size_t>(pageIndex_)]->Caption() : none;
}

void TNotebook::SetActivePage(const std::string& name) {
  for (int i = 0; i < PageCount(); ++i) {
    if (pages_[static_cast<size_t>(i)]->Caption() == name) {
      SetPageIndex(i);
      return;
    }
  }
  throw ENotebookError(Format("Page %s not found", name));
}

}  // namespace kavrix
