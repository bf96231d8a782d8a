// The setup's progress page, made from its own template and shown, with a job on a worker thread
// that reports to it the way the install worker does: messages sent across threads while this
// thread keeps dispatching.
#pragma once

#include <windows.h>

#include <functional>

class CProgressHost {
  public:
    CProgressHost();
    ~CProgressHost();
    CProgressHost(const CProgressHost&) = delete;
    CProgressHost& operator=(const CProgressHost&) = delete;

    HWND Page() const { return page_; }
    // Runs the job on a thread of its own and returns its duration in milliseconds, taken on that
    // thread; negative when the job reported failure.
    double TimeJob(const std::function<bool()>& job);

  private:
    HWND page_ = nullptr;
};
