#include "components/Component.h"

#include <algorithm>

namespace varnel::components {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component takes itself out of the list as it goes.
  while (!components_.empty()) delete components_.back();
  if (owner_) std::erase(owner_->components_, this);
}

TComponent* TComponent::Components(int index) const {
  return components_.at(static_cast<std::size_t>(index));
}

void TComponent::BeginLoading() noexcept {
  loading_ = true;
  reading_ = true;
}

void TComponent::EndLoading() {
  reading_ = false;
  Loaded();
}

void TComponent::Loaded() { loading_ = false; }

}  // namespace varnel::components
