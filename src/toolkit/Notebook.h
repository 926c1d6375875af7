#pragma once
// A stack of pages of which only the active one is visible; pages are chosen by index
// or by name. Each page fills the notebook and holds controls like any container.

#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "toolkit/CustomControl.h"

namespace kavrix {

class ENotebookError : public Exception {
 public:
  using Exception::Exception;
};

class TPage : public TCustomControl {
 public:
  explicit TPage(TComponent* owner);

  // The notebook places its pages; a page scales what it holds.
  void ChangeScale(int toDpi, int fromDpi) override;
};

class TNotebook : public TCustomControl {
 public:
  explicit TNotebook(TComponent* owner);

  // A new page named `name` (its Caption), owned by the notebook, after the others. The
  // first page added becomes the active one.
  TPage* AddPage(const std::string& name);
  int PageCount() const noexcept { return static_cast<int>(pages_.size()); }
  TPage* Pages(int index) const { return pages_.at(index); }

  // -1 while there are no pages. An index outside the pages changes nothing.
  int PageIndex() const noexcept { return pageIndex_; }
  void SetPageIndex(int index);
  const std::string& ActivePage() const;
  // Raises ENotebookError "Page %s not found" when no page has that name.
  void SetActivePage(const std::string& name);

 protected:
  void Resized() override;

 private:
  std::vector<TPage*> pages_;
  int pageIndex_ = -1;
};

}  // namespace kavrix
