#include "host/LogThreads.h"

#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "base/StrUtils.h"
#include "platform/Desktop.h"
#include "platform/HttpClient.h"

namespace orvane {

TLineThread::~TLineThread() { Stop(); }

void TLineThread::StartThread() { thread_ = std::thread([this] { Run(); }); }

bool TLineThread::Post(std::string line) {
  bool first = false;
  {
    std::lock_guard guard(lock_);
    if (ended_ || quit_) return false;
    first = queue_.empty();
    queue_.push_back(std::move(line));
  }
  // Behind other lines the thread has been woken already: waking it costs
  // the poster a system call, and on a virtual machine a good deal more.
  if (first) wake_.notify_one();
  return true;
}

void TLineThread::Stop() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

bool TLineThread::Running() const {
  std::lock_guard guard(lock_);
  return !ended_;
}

void TLineThread::Run() {
  try {
    while (true) {
      std::deque<std::string> lines;
      {
        std::unique_lock guard(lock_);
        wake_.wait(guard, [this] { return quit_ || !queue_.empty(); });
        // The last lines before a shutdown are often the ones that matter.
        if (queue_.empty() || (quit_ && !FinishQueueOnStop())) break;
        // A thread that may drop its queue on a stop takes one line at a
        // time, so a stop is seen between any two.
        if (FinishQueueOnStop()) {
          if (GatherTime().count() > 0) wake_.wait_for(guard, GatherTime(), [this] { return quit_; });
          lines.swap(queue_);
        } else {
          lines.push_back(std::move(queue_.front()));
          queue_.pop_front();
        }
      }
      HandleLines(lines);
    }
  } catch (const std::exception& e) {
    Failed(e.what());
  }
  std::lock_guard guard(lock_);
  ended_ = true;
  queue_.clear();
}

TLogFile::TLogFile(std::string fileName) : FileName(std::move(fileName)) { StartThread(); }

TLogFile::~TLogFile() { Stop(); }

void TLogFile::Handle(const std::string& line) { HandleLines({line}); }

void TLogFile::HandleLines(const std::deque<std::string>& lines) {
  // Opened and closed for every batch of lines, so other programs may read
  // or even delete the file while the server runs.
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  FILE* file = std::fopen(FileName.c_str(), "ab");
  if (!file) throw std::runtime_error("Cannot open file \"" + FileName + "\"");
  const size_t written = std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  if (written != text.size()) throw std::runtime_error("Cannot write file \"" + FileName + "\"");
}

void TLogFile::Failed(const std::string& message) { ShowMessage("Orvane", "Exception: " + message); }

TLogRemote::TLogRemote(std::string baseURL, std::function<bool()> isOnline)
    : baseURL_(std::move(baseURL)), isOnline_(std::move(isOnline)) {
  StartThread();
}

TLogRemote::~TLogRemote() { Stop(); }

void TLogRemote::Handle(const std::string& line) {
  if (baseURL_.empty() || !isOnline_()) return;
  // An error status counts as a failure too: the client raises for it.
  const std::string reply =
      THttpClient(THttpClient::kServiceTimeoutSeconds).Get(baseURL_ + "/logaction.asp?message=" + HTTPEncode(line));
  std::clog << "LogRemote: " << reply.size() << " bytes answered" << std::endl;
}

void TLogRemote::Failed(const std::string& message) { std::clog << "LogRemoteException: " << message << std::endl; }

}  // namespace orvane
