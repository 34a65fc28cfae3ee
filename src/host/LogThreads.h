// The two log threads. Request threads only post a line to a queue; one
// thread appends lines to the log file, another sends remote records to the
// maker's service. Each ends for good after its first unexpected error.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orvane {

// A thread with its own message queue of lines.
class TLineThread {
 public:
  TLineThread() = default;
  virtual ~TLineThread();
  TLineThread(const TLineThread&) = delete;
  TLineThread& operator=(const TLineThread&) = delete;

  // False when the thread has ended (the line is dropped).
  bool Post(std::string line);
  // Posts the quit message and joins; nothing can be posted behind it.
  void Stop();
  bool Running() const;

 protected:
  void StartThread();
  // Handles one line; an exception ends the thread for good.
  virtual void Handle(const std::string& line) = 0;
  // The lines taken from the queue together, in order; one by one unless a
  // thread can do better with them at once.
  virtual void HandleLines(const std::deque<std::string>& lines) {
    for (const std::string& line : lines) Handle(line);
  }
  virtual void Failed(const std::string& message) = 0;
  // Whether the lines posted before Stop are still handled.
  virtual bool FinishQueueOnStop() const { return true; }
  // How long the thread lets lines gather after the first one, before it
  // takes them together (a stop ends the wait).
  virtual std::chrono::milliseconds GatherTime() const { return std::chrono::milliseconds(0); }

 private:
  void Run();

  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::string> queue_;
  bool quit_ = false;
  bool ended_ = false;
  std::thread thread_;
};

class TLogFile : public TLineThread {
 public:
  explicit TLogFile(std::string fileName);
  ~TLogFile() override;
  const std::string FileName;

 protected:
  void Handle(const std::string& line) override;
  void HandleLines(const std::deque<std::string>& lines) override;
  void Failed(const std::string& message) override;
  // A search logs a few dozen lines within some milliseconds: gathered, they
  // cost one wake-up and one opening of the file instead of one each.
  std::chrono::milliseconds GatherTime() const override { return std::chrono::milliseconds(10); }
};

class TLogRemote : public TLineThread {
 public:
  // baseURL empty: there is no service, records are dropped as when offline.
  TLogRemote(std::string baseURL, std::function<bool()> isOnline);
  ~TLogRemote() override;

 protected:
  void Handle(const std::string& line) override;
  void Failed(const std::string& message) override;
  // A backlog of records must not hold up the shutdown.
  bool FinishQueueOnStop() const override { return false; }

 private:
  const std::string baseURL_;
  const std::function<bool()> isOnline_;
};

}  // namespace orvane
