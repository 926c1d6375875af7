#pragma once
// Components: configured by properties, owned by the component (usually a form) they
// sit on, destroyed with it, and saved to and restored from a component stream.

#include <functional>
#include <string>
#include <vector>

namespace kavrix {

class TReader;
class TWriter;

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
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // The owned component of that name, or null.
  TComponent* FindComponent(const std::string& name) const noexcept;

  // Restores the component from its record: the property list, the child list, and
  // whatever a derived class stores after them. The header is already read.
  virtual void ReadState(TReader& reader);
  // Writes the record that ReadState reads, without the header.
  virtual void WriteState(TWriter& writer);

 protected:
  // Called for each saved property; reads its value and returns true when the
  // property is known, returns false (leaving the value unread) otherwise.
  virtual bool ReadProperty(const std::string& name, TReader& reader);
  virtual void WriteProperties(TWriter& writer);

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* owner_;
  std::string name_;
  std::vector<TComponent*> components_;
};

// An event with the sending component as its only argument.
using TNotifyEvent = std::function<void(TObject& sender)>;

}  // namespace kavrix
