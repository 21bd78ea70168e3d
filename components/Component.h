#pragma once
// The base of every non-visual component: a name, an owner that frees it,
// and the state flags of restoring it from a window layout.

#include <vector>

#include "runtime/String.h"

namespace varnel::components {

class TComponent {
 public:
  // A component with an owner must be made with new: the owner deletes it
  // when the owner itself goes. A component without an owner is freed by
  // whoever holds it.
  explicit TComponent(TComponent* owner = nullptr);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  // Frees the owned components, newest first, then leaves the owner's list.
  virtual ~TComponent();

  TComponent* Owner() const noexcept { return owner_; }
  int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;

  const String& Name() const noexcept { return name_; }
  void SetName(String name) { name_ = std::move(name); }

  // Loading: set while the properties are restored from a layout.
  // Reading: set during that restore itself.
  bool Loading() const noexcept { return loading_; }
  bool Reading() const noexcept { return reading_; }

  // The layout reader brackets the property writes with these two calls.
  // EndLoading clears the reading flag and then runs Loaded.
  void BeginLoading() noexcept;
  void EndLoading();

 protected:
  // Runs once the restore is over; clears the loading flag. Replacements
  // call the one before them first.
  virtual void Loaded();

 private:
  TComponent* owner_;
  std::vector<TComponent*> components_;  // owned
  String name_;
  bool loading_ = false;
  bool reading_ = false;
};

}  // namespace varnel::components
