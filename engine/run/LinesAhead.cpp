// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/LinesAhead.h"

#include <algorithm>
#include <deque>
#include <system_error>

#include "run/MappingTrees.h"
#include "run/ParameterLine.h"
#include "run/RunQueue.h"
#include "run/WorkerPool.h"

namespace trasvex {

namespace {

// How many mappings run ahead at most, beside the one whose turn it is,
// counting those that have ended and wait to be followed.
constexpr int kMostAhead = 7;

}  // namespace

void LinesAhead::Begin() {
  End();
  enabled_ = WorkerPool::Asked().value_or(kMostAhead) > 1;
  options_ = host_.Options();
  show_.Published().Set(options_);
  const int count = host_.LineCount();
  for (int i = 0; i < count; ++i)
    lines_.push_back({CutText(host_.Line(i), kMaxLine), {}, {}, false, {}, {}, nullptr});
}

void LinesAhead::End() {
  lines_.clear();  // each walk drops what it kept and ends
  read_ = 0;
  extensions_.clear();
}

bool LinesAhead::Unchanged() {
  if (!(host_.Options() == options_) || host_.LineCount() != int(lines_.size()))
    return false;
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (CutText(host_.Line(int(i)), kMaxLine) != lines_[i].text)
      return false;
  return true;
}

void LinesAhead::Note(Line& line) {
  if (line.read.kind == ListLine::Kind::kMapping)
    line.extensions = extensions_;
  else
    extensions_ = ParameterLine::MasksOf(CutText(line.text));
}

bool LinesAhead::ReadUpTo(int line) {
  for (; read_ <= std::size_t(line); ++read_) {
    Line& next = lines_[read_];
    next.read = ListLine::Read(fs_, CutText(next.text));
    if (next.read.kind == ListLine::Kind::kNoSource)
      return false;  // read again in its turn
    Note(next);
  }
  return true;
}

void LinesAhead::Taken(int index, ListLine read) {
  if (!enabled_)
    return;
  Line& line = lines_[std::size_t(index)];
  if (std::size_t(index) < read_) {
    // A line read ahead that reads otherwise now may have other masks
    // after it.
    enabled_ = read.kind == line.read.kind;
    return;
  }
  line.read = std::move(read);
  Note(line);
  read_ = std::size_t(index) + 1;
}

bool LinesAhead::ReadAgain(Line& line) {
  ListLine read = ListLine::Read(fs_, CutText(line.text));
  if (read.kind != ListLine::Kind::kMapping)
    return enabled_ = false;  // the masks after it may be others
  line.keyed = line.keyed && read.source == line.read.source;
  line.read = std::move(read);
  Key(fs_, line);
  return true;
}

void LinesAhead::Key(FileSystem& fs, Line& line) {
  if (line.keyed)
    return;
  line.sourceKey = MappingTrees::Key(fs, ParentPath(line.read.source, fs.Style()));
  line.destinationKey = MappingTrees::Key(fs, line.read.destination);
  line.keyed = true;
}

void LinesAhead::KeyAhead(int turn) {
  std::vector<Line*> unkeyed;
  for (int i = turn; i < int(lines_.size()) && int(unkeyed.size()) < 2 * kMostAhead && ReadUpTo(i);
       ++i) {
    Line& line = lines_[std::size_t(i)];
    if (line.read.kind == ListLine::Kind::kMapping && !line.keyed && !line.walk)
      unkeyed.push_back(&line);
  }
  if (unkeyed.size() < 2)
    return;
  RunQueue queue(fs_, int(unkeyed.size()), nullptr);
  std::deque<bool> ended;
  for (Line* line : unkeyed)
    queue.Start([line](FileSystem& fs) { Key(fs, *line); }, ended.emplace_back(false));
  for (const bool& each : ended)
    queue.Wait(each);
}

bool LinesAhead::Apart(Line& line, const std::vector<Line*>& above) {
  const PathStyle& style = fs_.Style();
  Key(fs_, line);
  for (Line* each : above) {
    Key(fs_, *each);
    if (MappingTrees::Meet(line.destinationKey, each->sourceKey, style) ||
        MappingTrees::Meet(line.destinationKey, each->destinationKey, style) ||
        MappingTrees::Meet(line.sourceKey, each->destinationKey, style))
      return false;
  }
  return true;
}

void LinesAhead::StartBelow(int turn) {
  if (!enabled_ || !(enabled_ = Unchanged()))
    return;
  KeyAhead(turn);
  const std::vector<int> started = Started();
  int running = int(std::count_if(started.begin(), started.end(),
                                  [turn](int line) { return line > turn; }));
  std::vector<Line*> above;  // the mappings from the turn on that have not ended
  // Lines are read and resolved only as far as a mapping may start.
  for (int i = turn; i < int(lines_.size()) && running < kMostAhead && ReadUpTo(i); ++i) {
    Line& line = lines_[std::size_t(i)];
    if (line.read.kind != ListLine::Kind::kMapping)
      continue;
    if (i > turn && !line.walk && Apart(line, above) && ReadAgain(line) && Apart(line, above)) {
      Start(line);
      running += line.walk != nullptr;
    }
    if (!line.walk || !line.walk->Ended())
      above.push_back(&line);
  }
}

void LinesAhead::Start(Line& line) {
  std::unique_ptr<FileSystem> instance = fs_.ForWalk();
  if (!instance)
    return;
  try {
    line.walk = std::make_unique<AheadWalk>(
        std::move(instance), watch_, show_.Published(),
        AheadWalk::Mapping{line.extensions, line.read.source, line.read.destination});
  } catch (const std::system_error&) {
    // No thread to be had: the line waits for its turn.
  }
}

AheadWalk* LinesAhead::Of(int line) {
  return std::size_t(line) < lines_.size() ? lines_[std::size_t(line)].walk.get() : nullptr;
}

std::vector<int> LinesAhead::Started() const {
  std::vector<int> started;
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].walk)
      started.push_back(int(i));
  return started;
}

}  // namespace trasvex
