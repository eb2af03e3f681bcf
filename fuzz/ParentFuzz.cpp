// SPDX-License-Identifier: GPL-3.0-or-later
// The parent rule in both path styles: the parent is always a leading part
// of the path, and a path with a directory part never loses all of it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "text/PathText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  for (const trasvex::PathStyle* style : {&trasvex::PathStyle::Posix, &trasvex::PathStyle::Windows}) {
    const std::string parent = trasvex::ParentPath(path, *style);
    FUZZ_CHECK(path.starts_with(parent));
    const bool hasDirectoryPart =
        path.find_first_of(style->drivePrefixes ? "\\/:" : "/") != std::string_view::npos;
    FUZZ_CHECK(parent.empty() != hasDirectoryPart);
  }
  return 0;
}
