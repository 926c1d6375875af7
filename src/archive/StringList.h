#pragma once
// TStringList: lines of text, each with an optional object that the list owns. Every
// change goes through a virtual operation, so a derived list can refuse changes.
// A framework class; it lives here until the foundation needs one too.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Component.h"
#include "foundation/Exceptions.h"

namespace kavrix {

// An index outside 0..Count()-1.
class EListIndexError : public Exception {
 public:
  explicit EListIndexError(int index);
};

class TStringList : public TObject {
 public:
  TStringList() = default;

  int Count() const noexcept { return static_cast<int>(items_.size()); }
  const std::string& Strings(int index) const;
  TObject* Objects(int index) const;
  // Lines each followed by CR LF.
  std::string Text() const;

  virtual void Put(int index, std::string text);
  virtual void PutObject(int index, std::unique_ptr<TObject> object);
  virtual int Add(std::string text);
  virtual int AddObject(std::string text, std::unique_ptr<TObject> object);
  virtual void Insert(int index, std::string text);
  virtual void Delete(int index);
  virtual void Exchange(int first, int second);
  virtual void Clear();
  // Lines split at CR LF, CR or LF; a line break at the end starts no further line.
  virtual void SetText(std::string_view text);
  // Ascending, ignoring ASCII letter case; equal lines keep their order.
  virtual void Sort();

  // Replaces the lines with copies of `source`'s lines, without their objects.
  void Assign(const TStringList& source);

 private:
  struct Item {
    std::string text;
    std::unique_ptr<TObject> object;
  };

  void CheckIndex(int index, int limit) const;

  std::vector<Item> items_;
};

}  // namespace kavrix
