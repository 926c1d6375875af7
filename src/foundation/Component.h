#pragma once
// Components: configured by properties, owned by the component (usually a form) they
// sit on, and destroyed with it.

#include <functional>
#include <memory>
#include <vector>

namespace kavrix {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

class TComponent : public TObject {
 public:
  // A component with an owner is destroyed by that owner; one without is the caller's.
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;

  TComponent* Owner() const noexcept { return owner_; }

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* owner_;
  std::vector<TComponent*> components_;
};

// An event with the sending component as its only argument.
using TNotifyEvent = std::function<void(TObject& sender)>;

}  // namespace kavrix
