// SPDX-License-Identifier: GPL-3.0-or-later
// The mappings of a run's list that are carried out ahead of their turn,
// side by side with the line whose turn it is (AheadWalk).
//
// At each turn the run may start, of the mappings below the turn, those
// that touch no tree a mapping above them may still change or read: as the
// file system resolves them (MappingTrees), the destination of a mapping
// started ahead meets neither the source nor the destination of any mapping
// above it that has not ended, and its source meets no such destination. A
// mapping above that has not ended is one running (live or ahead) or one
// not started, which will run in its turn. So two lines into one
// destination, or a chain ("b = a", "c = b"), still go one after the other.
//
// A mapping's trees are resolved once and kept: a source that names no
// directory yet stands for the folder that holds it, which holds whatever
// directory a mapping above may make of it, and the mapping is read again
// when it starts.
//
// The run takes the list and the options as they stand when it begins;
// once either has changed, no further mapping starts ahead. A line whose
// source is missing may gain it from a mapping above it, so no mapping
// below it starts ahead before its turn has come.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "run/AheadWalk.h"
#include "run/ListLine.h"
#include "run/LiveShow.h"
#include "run/RunHost.h"
#include "run/RunWatch.h"
#include "fs/FileSystem.h"

namespace trasvex {

class LinesAhead {
 public:
  LinesAhead(RunHost& host, FileSystem& fileSystem, const RunWatch& watch, LiveShow& show)
      : host_(host), fs_(fileSystem), watch_(watch), show_(show) {}

  // A run begins: takes the list and the options as they stand. With one
  // worker asked for (TRASVEX_JOBS=1) every line waits for its turn.
  void Begin();
  // The run has read line |line| in its turn as |read|.
  void Taken(int line, ListLine read);
  // At the turn of line |turn|: starts the mappings below it that may run
  // now, unless the list or the options have changed since the run began.
  void StartBelow(int turn);
  // The walk of line |line| while it is to be followed; null when the line
  // waits for its turn.
  AheadWalk* Of(int line);
  // The text of line |line| as the run took it when it began.
  const std::string& Text(int line) const { return lines_[std::size_t(line)].text; }
  // Line |line|'s walk has been followed to its end.
  void Done(int line) { lines_[std::size_t(line)].walk.reset(); }
  // The lines whose walks are still to be followed, in order.
  std::vector<int> Started() const;
  // The run ends: drops every walk.
  void End();

 private:
  struct Line {
    std::string text;  // as the run began, cut to its length
    ListLine read;
    std::vector<std::string> extensions;  // a mapping's masks
    bool keyed = false;
    std::string sourceKey, destinationKey;  // a mapping's trees
    std::unique_ptr<AheadWalk> walk;
  };

  bool Unchanged();
  // Reads the lines up to |line|; false when one before it or it has a
  // missing source.
  bool ReadUpTo(int line);
  void Note(Line& line);
  // Reads a mapping again before it starts: a mapping above may have
  // made a directory of what was a file's name in its source. False, and
  // nothing more starts ahead, when it is no mapping now.
  bool ReadAgain(Line& line);
  // Resolves the trees of |line| through |fs|, once.
  static void Key(FileSystem& fs, Line& line);
  // Resolves side by side the trees of the next mappings from |turn| on
  // that a start may need: each costs a round trip or more to the file
  // systems of its folders.
  void KeyAhead(int turn);
  // True when the trees of |line| meet none of those of |above| in the
  // ways that keep it from starting ahead; resolves them as needed.
  bool Apart(Line& line, const std::vector<Line*>& above);
  void Start(Line& line);

  RunHost& host_;
  FileSystem& fs_;
  const RunWatch& watch_;
  LiveShow& show_;
  bool enabled_ = false;
  RunOptions options_;
  std::vector<Line> lines_;
  std::size_t read_ = 0;  // the lines read, from the first
  std::vector<std::string> extensions_;  // the masks after them
};

}  // namespace trasvex
