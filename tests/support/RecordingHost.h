// SPDX-License-Identifier: GPL-3.0-or-later
// A RunHost that records everything a run does, for tests.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run/RunHost.h"

namespace trasvex::test {

class RecordingHost : public RunHost {
 public:
  explicit RecordingHost(std::vector<std::string> lines = {}) : lines(std::move(lines)) {}

  void SetStatus(int panel, const std::string& text) override {
    status[panel] = text;
    calls.push_back("status " + std::to_string(panel) + " " + text);
  }
  void ShowMessage(const std::string& text, const std::string& reason) override {
    messages.push_back(text);
    reasons.push_back(reason);
    if (onMessage)
      onMessage(text);
  }
  void ProcessEvents() override {
    ++pumps;
    pumpTimes.push_back(std::chrono::steady_clock::now());
    calls.push_back("pump");
    if (onProcessEvents)
      onProcessEvents();
  }
  // Pumps that depend on time are kept apart from the calls, so that runs
  // compare whatever their speed.
  void KeepAlive() override {
    pumpTimes.push_back(std::chrono::steady_clock::now());
    if (onKeepAlive)
      onKeepAlive();
  }
  bool StopRequested() override { return stopRequested; }
  RunOptions Options() override { return options; }
  void Encabezados() override {
    ++resets;
    rows.clear();
    rowCount = 20;
    calls.push_back("headers");
  }
  void ListarArchivo(int row, const ResultRow& cells) override {
    rows[row] = cells;
    std::string call = "row " + std::to_string(row);
    for (const std::string& cell : cells)
      call += " | " + cell;
    calls.push_back(call);
  }
  void SetRowCount(int count) override {
    rowCount = count;
    calls.push_back("rows " + std::to_string(count));
  }
  void SetBusy(bool busy) override { busyChanges.push_back(busy); }
  int LineCount() override { return int(lines.size()); }
  std::string Line(int index) override {
    return index < LineCount() ? lines[std::size_t(index)] : std::string();
  }
  void SetLine(int index, const std::string& text) override { lines[std::size_t(index)] = text; }

  // The listed rows in order, each as its six cells.
  std::vector<ResultRow> Rows() const {
    std::vector<ResultRow> ordered;
    for (const auto& [row, cells] : rows)
      ordered.push_back(cells);
    return ordered;
  }

  std::vector<std::string> lines;
  RunOptions options;
  std::string status[2];
  std::vector<std::string> messages;
  std::vector<std::string> reasons;  // of each message
  bool stopRequested = false;
  std::vector<std::chrono::steady_clock::time_point> pumpTimes;  // every pump
  std::function<void()> onKeepAlive;
  // Every call but ShowMessage, in order: status texts, pumps, rows.
  std::vector<std::string> calls;
  std::map<int, ResultRow> rows;
  int rowCount = 100;
  int resets = 0;
  int pumps = 0;
  std::vector<bool> busyChanges;
  std::function<void()> onProcessEvents;
  std::function<void(const std::string&)> onMessage;
};

}  // namespace trasvex::test
