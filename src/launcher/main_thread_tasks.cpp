// SPDX-License-Identifier: MIT
#include "launcher/main_thread_tasks.h"

#include <utility>

namespace vigilor::launcher {

void MainThreadTaskQueue::Queue(Task task) {
  std::lock_guard<std::mutex> lock(mutex_);
  tasks_.push_back(std::move(task));
}

bool MainThreadTaskQueue::RunNext() {
  Task task;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (tasks_.empty()) return false;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  if (task && task()) {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  return true;
}

bool MainThreadTaskQueue::Empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return tasks_.empty();
}

}  // namespace vigilor::launcher
