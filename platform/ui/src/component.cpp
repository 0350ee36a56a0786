#include "ui/component.h"

#include <algorithm>

namespace ui {

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  // Newest first: a control goes before the container created ahead of it.
  while (!components_.empty()) {
    TComponent* last = components_.back();
    components_.pop_back();
    last->owner_ = nullptr;
    delete last;
  }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [&](TComponent* c) { return c->name_ == name; });
  return it == components_.end() ? nullptr : *it;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_ == this) return;
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find(components_.begin(), components_.end(), component);
  if (it == components_.end()) return;
  components_.erase(it);
  component->owner_ = nullptr;
}

}  // namespace ui
