#pragma once
// An ordered list of strings: insertion order kept, duplicates kept.

#include <cstddef>
#include <vector>

#include "runtime/String.h"

namespace varnel {

class TStringList {
 public:
  void Add(String text) { items_.push_back(std::move(text)); }
  int Count() const { return static_cast<int>(items_.size()); }
  const String& operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<String> items_;
};

}  // namespace varnel
