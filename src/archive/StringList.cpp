#include "archive/StringList.h"

#include <algorithm>

namespace kavrix {

namespace {

char LowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

}  // namespace

EListIndexError::EListIndexError(int index)
    : Exception(Format("List index out of bounds (%s)", std::to_string(index))) {}

void TStringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit) throw EListIndexError(index);
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index, Count());
  return items_[static_cast<size_t>(index)].text;
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index, Count());
  return items_[static_cast<size_t>(index)].object.get();
}

std::string TStringList::Text() const {
  std::string text;
  for (const Item& item : items_) text += item.text + "\r\n";
  return text;
}

void TStringList::Put(int index, std::string text) {
  CheckIndex(index, Count());
  items_[static_cast<size_t>(index)].text = std::move(text);
}

void TStringList::PutObject(int index, std::unique_ptr<TObject> object) {
  CheckIndex(index, Count());
  items_[static_cast<size_t>(index)].object = std::move(object);
}

int TStringList::Add(std::string text) { return AddObject(std::move(text), nullptr); }

int TStringList::AddObject(std::string text, std::unique_ptr<TObject> object) {
  items_.push_back({std::move(text), std::move(object)});
  return Count() - 1;
}

void TStringList::Insert(int index, std::string text) {
  CheckIndex(index, Count() + 1);
  items_.insert(items_.begin() + index, Item{std::move(text), nullptr});
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  items_.erase(items_.begin() + index);
}

void TStringList::Exchange(int first, int second) {
  CheckIndex(first, Count());
  CheckIndex(second, Count());
  std::swap(items_[static_cast<size_t>(first)], items_[static_cast<size_t>(second)]);
}

void TStringList::Clear() { items_.clear(); }

void TStringList::SetText(std::string_view text) {
  std::vector<Item> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    lines.push_back({std::string(text.substr(start, end - start)), nullptr});
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  items_ = std::move(lines);
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return LessIgnoringCase(a.text, b.text); });
}

void TStringList::Assign(const TStringList& source) {
  if (&source == this) return;
  Clear();
  for (const Item& item : source.items_) Add(item.text);
}

}  // namespace kavrix
