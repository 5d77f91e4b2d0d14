// SPDX-License-Identifier: MIT
// The launcher's main-thread task queue: the only way work from other threads
// reaches the window and the launcher state.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace vigilor::launcher {

class MainThreadTaskQueue {
 public:
  using Task = std::function<bool()>;

  // Any thread. Appends at the back.
  void Queue(Task task);

  // Main thread. Runs the front task with the lock released; a task that
  // answers true goes to the back again, after the tasks queued meanwhile.
  // Returns false when the queue was empty.
  bool RunNext();

  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::deque<Task> tasks_;
};

}  // namespace vigilor::launcher
