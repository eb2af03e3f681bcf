// A temporary tree, a recording host and the native file system, wired to
// one engine: each test describes a tree and a parameter list and runs it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "Distribuidor.h"
#include "RecordingHost.h"
#include "TempTree.h"

namespace trasvex::test {

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() : fs_(FileSystem::CreateNative()), engine_(host_, *fs_) {}

  // Runs |lines|, where "@" stands for the tree's root.
  void Run(const std::vector<std::string>& lines) {
    host_.lines.clear();
    for (std::string line : lines) {
      for (std::size_t at = line.find('@'); at != std::string::npos; at = line.find('@'))
        line.replace(at, 1, tree_.Root());
      host_.lines.push_back(line);
    }
    engine_.CopyBtnClick();
  }
  void List(const std::vector<std::string>& lines) {
    host_.options.listado = true;
    Run(lines);
  }
  const RunCounters& Counters() const { return engine_.Counters(); }
  std::string P(const std::string& relative = "") const { return tree_.Path(relative); }

  TempTree tree_;
  RecordingHost host_;
  std::unique_ptr<FileSystem> fs_;
  Distribuidor engine_;
};

}  // namespace trasvex::test
