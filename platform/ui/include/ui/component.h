#pragma once
// TComponent: a named object that may own others. An owner destroys what it owns when it is
// destroyed itself, newest first, so a control created after its container goes away before
// it. A component removes itself from its owner when it is destroyed some other way.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class TComponent {
 public:
  // Registers with `owner` (may be null: then the caller owns the component).
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  // The owned component of that exact name, or null.
  TComponent* FindComponent(std::string_view name) const;

  // Moves the component under this owner (out of its previous owner's list).
  void InsertComponent(TComponent* component);
  // Takes the component out of this owner's list: it is no longer destroyed with this owner.
  void RemoveComponent(TComponent* component);

 protected:
  // Destroys every owned component now, newest first (derived destructors call it while the
  // rest of the object still works).
  void DestroyComponents();

 private:
  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
};

}  // namespace ui
