// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/FolderCreations.h"

#include <memory>

namespace trasvex {

const FolderCreations::Made& FolderCreations::Present() {
  // Made once: a promise costs the system a call.
  static const Made present = [] {
    std::promise<bool> outcome;
    outcome.set_value(true);
    return outcome.get_future().share();
  }();
  return present;
}

std::function<void(FileSystem&)> FolderCreations::Request(const Made& parent, std::string folder,
                                                          std::string model, Made& made) {
  auto outcome = std::make_shared<std::promise<bool>>();
  made = outcome->get_future().share();
  // The parent's creation went to the workers first: it has been taken, so
  // the wait for it ends.
  return [outcome, parent, folder = std::move(folder),
          model = std::move(model)](FileSystem& fileSystem) {
    outcome->set_value(parent.get() && fileSystem.CreateDirectory(folder, model));
  };
}

const FolderCreations::Made* FolderCreations::Earlier(const std::string& folder) const {
  const auto found = started_.find(folder);
  return found == started_.end() ? nullptr : &found->second;
}

void FolderCreations::Clear() {
  failed_.clear();
  started_.clear();
}

bool FolderCreations::Dropped(std::string_view path) const {
  for (const std::string& folder : failed_)
    if (path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == separator_))
      return true;
  return false;
}

}  // namespace trasvex
