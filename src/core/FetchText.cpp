#include "core/FetchText.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quill {

namespace {

/// How long the caller's thread waits for the transfer before it serves events again.
constexpr std::chrono::milliseconds kIdleYield{50};

/// What the transfer thread hands the caller's thread.
struct Handover {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> chunks;
  bool done = false;
};

/// Joins the transfer thread however the waiting ends (a handler run while waiting may throw).
struct Joined {
  std::thread thread;
  ~Joined() {
    if (thread.joinable()) thread.join();
  }
};

}  // namespace

std::optional<FetchedReply> FetchReply(platform::Internet& net, forms::Host& host,
                                       const std::string& url, const FetchProgress& progress,
                                       size_t maxBytes) {
  Handover handover;
  platform::HttpReply reply;
  bool tooLarge = false;  // written by the transfer thread, read once it has ended
  Joined transfer;
  // The transfer runs on a thread of its own, bounded by the network limits; this thread
  // keeps serving events meanwhile, so the windows paint and answer clicks at once.
  transfer.thread = std::thread([&] {
    size_t received = 0;
    reply = net.Get(url, [&](const char* data, size_t size) {
      if (size > maxBytes - received) {
        tooLarge = true;  // stop reading: a hostile server could send without end
        return false;
      }
      received += size;
      std::lock_guard lock(handover.mutex);
      handover.chunks.emplace_back(data, size);
      handover.changed.notify_one();
      return true;
    });
    std::lock_guard lock(handover.mutex);
    handover.done = true;
    handover.changed.notify_one();
  });

  FetchedReply fetched;
  for (bool done = false; !done;) {
    std::deque<std::string> arrived;
    {
      std::unique_lock lock(handover.mutex);
      const bool moved = handover.changed.wait_for(
          lock, kIdleYield, [&] { return handover.done || !handover.chunks.empty(); });
      arrived.swap(handover.chunks);
      done = handover.done;
      if (!moved) {
        lock.unlock();
        host.DoEvents();  // nothing arrived: serve the user while the server takes its time
        continue;
      }
    }
    // Every chunk is shown and followed by a yield, as it arrived.
    for (const std::string& chunk : arrived) {
      fetched.body += chunk;
      if (progress) progress(fetched.body.size());
      host.DoEvents();
    }
  }
  transfer.thread.join();
  fetched.reply = std::move(reply);
  if (tooLarge || !fetched.reply.Success()) return std::nullopt;
  return fetched;
}

std::string FetchText(platform::Internet& net, forms::Host& host, const std::string& url,
                      const FetchProgress& progress) {
  auto fetched = FetchReply(net, host, url, progress);
  return fetched ? std::move(fetched->body) : std::string();
}

}  // namespace quill
