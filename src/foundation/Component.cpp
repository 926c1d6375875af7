#include "foundation/Component.h"

#include <algorithm>

#include "foundation/ComponentStream.h"

namespace kavrix {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent() {
  // Owned components go first, newest first, as each may refer to older siblings.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    components_.pop_back();
    last->owner_ = nullptr;
    delete last;
  }
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const noexcept {
  for (TComponent* component : components_) {
    if (component->name_ == name) return component;
  }
  return nullptr;
}

void TComponent::ReadState(TReader& reader) {
  while (!reader.EndOfList()) {
    const std::string property = reader.ReadStr();
    if (!ReadProperty(property, reader)) reader.SkipValue();
  }
  reader.ReadListEnd();
  reader.ReadChildren();
}

void TComponent::WriteState(TWriter& writer) {
  WriteProperties(writer);
  writer.WriteListEnd();
  writer.WriteListEnd();  // no child records
}

bool TComponent::ReadProperty(const std::string&, TReader&) { return false; }

void TComponent::WriteProperties(TWriter&) {}

void TComponent::InsertComponent(TComponent* component) { components_.push_back(component); }

void TComponent::RemoveComponent(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

}  // namespace kavrix
