// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a parameter list through the engine as the window does, with a host
// that only notes when the window's events would be processed, and prints
// the longest time the window would have gone without them.
//
//   pumps CONFIGURATION [LIST]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fs/FileSystem.h"
#include "run/Distribuidor.h"
#include "text/ConfigLines.h"

namespace {

using Clock = std::chrono::steady_clock;

class TimingHost final : public trasvex::RunHost {
 public:
  TimingHost(std::vector<std::string> lines, bool listado) : lines_(std::move(lines)) {
    options_.listado = listado;
  }

  void SetStatus(int, const std::string&) override {}
  void ShowMessage(const std::string& text, const std::string& reason) override {
    std::fprintf(stderr, "%s (%s)\n", text.c_str(), reason.c_str());
  }
  void ProcessEvents() override { Note(); }
  void KeepAlive() override { Note(); }
  trasvex::RunOptions Options() override { return options_; }
  void Encabezados() override {}
  void ListarArchivo(int, const trasvex::ResultRow&) override {}
  void SetRowCount(int) override {}
  void SetBusy(bool busy) override {
    if (busy)
      last_ = Clock::now();
    else
      Note();
  }
  int LineCount() override { return int(lines_.size()); }
  std::string Line(int index) override { return lines_[std::size_t(index)]; }
  void SetLine(int, const std::string&) override {}

  Clock::duration longest() const { return longest_; }
  int pumps() const { return pumps_; }

 private:
  void Note() {
    const Clock::time_point now = Clock::now();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
    ++pumps_;
  }

  std::vector<std::string> lines_;
  trasvex::RunOptions options_;
  Clock::time_point last_ = Clock::now();
  Clock::duration longest_{};
  int pumps_ = 0;
};

long Milliseconds(Clock::duration duration) {
  return long(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pumps CONFIGURATION [LIST]\n");
    return 2;
  }
  const std::unique_ptr<trasvex::FileSystem> fileSystem = trasvex::FileSystem::CreateNative();
  std::string bytes;
  if (!fileSystem->ReadWholeFile(argv[1], bytes)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  TimingHost host(trasvex::ReadConfigLines(bytes).lines,
                  argc > 2 && std::string(argv[2]) == "LIST");
  trasvex::Distribuidor engine(host, *fileSystem);
  const Clock::time_point start = Clock::now();
  engine.CopyBtnClick();
  std::printf("%ld %ld %d\n", Milliseconds(host.longest()), Milliseconds(Clock::now() - start),
              host.pumps());
  return 0;
}
