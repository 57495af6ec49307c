// The message queue behind PeekMessageA in the Win32 stand-ins (SDL and the
// browser): each layer's event reader queues the messages, in order, and
// PeekMessageA hands them out. A program need not fetch them (the demo pumps
// once a frame), so past a bound the oldest are dropped.
#pragma once

#include <cstddef>
#include <deque>

#include "win32.h"

class Win32MessageQueue {
 public:
  void Push(const MSG& Message) {
    if (Messages.size() >= kMaxQueued) Messages.pop_front();
    Messages.push_back(Message);
  }

  // PeekMessageA's answer: the oldest message, removed with PM_REMOVE.
  BOOL Peek(LPMSG lpMsg, UINT wRemoveMsg) {
    if (Messages.empty()) return FALSE;
    if (lpMsg != nullptr) *lpMsg = Messages.front();
    if ((wRemoveMsg & PM_REMOVE) != 0) Messages.pop_front();
    return TRUE;
  }

 private:
  static constexpr size_t kMaxQueued = 64;
  std::deque<MSG> Messages;
};
