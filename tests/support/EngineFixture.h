// SPDX-License-Identifier: GPL-3.0-or-later
// A tree, a recording host and the tree's file system, wired to one engine:
// each test describes a tree and a parameter list and runs it. The tree is
// a temporary one on the disk, with the native file system (EngineFixture),
// or one in memory (MemoryEngineFixture).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#ifndef _WIN32
#include <fcntl.h>
#endif

#include "run/Distribuidor.h"
#include "MemoryTree.h"
#include "RecordingHost.h"
#include "TempTree.h"

namespace trasvex::test {

template <class Tree>
class EngineFixtureOn : public ::testing::Test {
 protected:
  EngineFixtureOn() : fs_(tree_.OpenFileSystem()), engine_(host_, *fs_) {}

  // The names a scan of |pattern| returns, sorted.
  std::vector<std::string> ScanNames(const std::string& pattern, unsigned attributeSet) {
    std::vector<SearchEntry> entries;
    fs_->Scan(pattern, attributeSet, entries);
    std::vector<std::string> names;
    for (const SearchEntry& entry : entries)
      names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  // The number of descriptors the process has open; 0 on Windows, where a
  // handle left open shows instead as a file that cannot be removed.
  static int OpenDescriptors() {
    int count = 0;
#ifndef _WIN32
    for (int fd = 0; fd < 1024; ++fd)
      count += ::fcntl(fd, F_GETFD) != -1;
#endif
    return count;
  }

  // Runs |lines| (see Expand).
  void Run(const std::vector<std::string>& lines) {
    host_.lines.clear();
    for (const std::string& line : lines)
      host_.lines.push_back(Expand(line));
    engine_.CopyBtnClick();
  }
  // |line| with "/" standing for the file system's separator and "@" for the
  // tree's root.
  std::string Expand(std::string line) const {
    std::replace(line.begin(), line.end(), '/', fs_->Style().separator);
    for (std::size_t at = line.find('@'); at != std::string::npos; at = line.find('@'))
      line.replace(at, 1, tree_.Root());
    return line;
  }
  // A listing's date cell "yyyy/mm/dd hh:nn:ss" with the file system's date
  // and time separators.
  std::string Dated(const std::string& stamp) const {
    std::string dated;
    for (const char c : stamp)
      dated += c == '/' ? fs_->DateSeparator() : c == ':' ? fs_->TimeSeparator() : std::string(1, c);
    return dated;
  }
  void List(const std::vector<std::string>& lines) {
    host_.options.listado = true;
    Run(lines);
  }
  const RunCounters& Counters() const { return engine_.Counters(); }
  std::string P(const std::string& relative = "") const { return tree_.Path(relative); }

  Tree tree_;
  RecordingHost host_;
  std::unique_ptr<FileSystem> fs_;
  Distribuidor engine_;
};

using EngineFixture = EngineFixtureOn<TempTree>;
using MemoryEngineFixture = EngineFixtureOn<MemoryTree>;

}  // namespace trasvex::test
