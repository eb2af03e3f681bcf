// SPDX-License-Identifier: GPL-3.0-or-later
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "fs/TemporaryCleanup.h"
#include "windows/WindowsApi.h"

namespace trasvex {

namespace {

// How long the handler waits for the creations in progress to be marked.
constexpr auto kLongestWait = std::chrono::seconds(2);

struct InFlight {
  std::mutex mutex;
  std::unordered_map<std::thread::id, std::wstring> marked;
  std::atomic<int> creating{0};
  std::atomic<bool> ending{false};
};

// Never destroyed: the handler may run while the process ends.
InFlight& Files() {
  static InFlight* const files = new InFlight;
  return *files;
}

// A logoff or a shutdown reaches only a program without windows (user32
// not loaded). A user's logoff ends an interactive program anyway, and one
// that goes on (a service's) must keep its copies.
BOOL WINAPI RemoveBeforeTheEnd(DWORD event) {
  if (event != CTRL_LOGOFF_EVENT)
    TemporaryCleanup::RemoveAll();
  return FALSE;
}

}  // namespace

void TemporaryCleanup::Install() { ::SetConsoleCtrlHandler(RemoveBeforeTheEnd, TRUE); }

void TemporaryCleanup::RemoveAll() {
  InFlight& files = Files();
  files.ending = true;
  const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
  while (files.creating > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::lock_guard lock(files.mutex);
  for (const auto& [thread, path] : files.marked) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // it may be read-only now
    ::DeleteFileW(path.c_str());
  }
}

bool TemporaryCleanup::BeginCreation() {
  InFlight& files = Files();
  ++files.creating;
  if (!files.ending)
    return true;
  --files.creating;
  return false;
}

void TemporaryCleanup::EndCreation() { --Files().creating; }

void TemporaryCleanup::Mark(const std::wstring& path) {
  InFlight& files = Files();
  std::lock_guard lock(files.mutex);
  files.marked[std::this_thread::get_id()] = path;
}

void TemporaryCleanup::Unmark() {
  InFlight& files = Files();
  std::lock_guard lock(files.mutex);
  files.marked.erase(std::this_thread::get_id());
}

}  // namespace trasvex
