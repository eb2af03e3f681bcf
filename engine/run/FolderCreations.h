// SPDX-License-Identifier: GPL-3.0-or-later
// The destination folders that a walk has its workers make while it goes on
// into them. Each creation waits for its parent's, which went to the
// workers before it. The walk learns of a failure in walk order, and from
// then on drops what it had queued for the inside of that folder, as a walk
// that made each folder before going in never came to it.
#pragma once

#include <functional>
#include <future>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fs/FileSystem.h"

namespace trasvex {

class FolderCreations {
 public:
  // Whether a folder has been made (or was there already).
  using Made = std::shared_future<bool>;

  explicit FolderCreations(const PathStyle& style) : separator_(style.separator) {}

  // The outcome of a folder that is there.
  static const Made& Present();
  // The request that makes |folder| like |model| once |parent| has been
  // made, and in |made| its outcome.
  static std::function<void(FileSystem&)> Request(const Made& parent, std::string folder,
                                                  std::string model, Made& made);

  // The creation of |folder| that went to the workers earlier in the
  // mapping (a folder the walk comes to twice), if any.
  const Made* Earlier(const std::string& folder) const;
  void Started(const std::string& folder, const Made& made) { started_.emplace(folder, made); }

  // |folder| could not be made: what lies in it is dropped.
  void Failed(const std::string& folder) { failed_.push_back(folder); }
  // True when |path| is a folder that could not be made, or lies in one.
  bool Dropped(std::string_view path) const;
  void Clear();

 private:
  char separator_;
  std::vector<std::string> failed_;
  std::unordered_map<std::string, Made> started_;
};

}  // namespace trasvex
