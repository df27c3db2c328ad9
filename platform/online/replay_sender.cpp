#include "platform/online/replay_sender.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files.h"

namespace online {
namespace {

std::atomic<bool> gFailed{false};

struct Request {
  std::string serverUrl, folder, extension;
};

// The background sender: one thread, started on the first request, working
// through the requests in order; it lives until the process ends. What it
// shares is never destroyed, so that the process may end while it waits (a
// replay cut off in sending stays queued).
std::mutex& gMutex = *new std::mutex;
std::condition_variable& gChanged = *new std::condition_variable;
std::deque<Request>& gRequests = *new std::deque<Request>;
bool gBusy = false;
bool gThreadStarted = false;

}  // namespace

void SendFolderNow(const std::string& serverUrl, const std::string& folder, const std::string& extension);

namespace {

void Work() {
  std::unique_lock<std::mutex> lock(gMutex);
  for (;;) {
    gChanged.wait(lock, [] { return !gRequests.empty(); });
    const Request r = gRequests.front();
    gRequests.pop_front();
    gBusy = true;
    lock.unlock();
    SendFolderNow(r.serverUrl, r.folder, r.extension);
    lock.lock();
    gBusy = false;
    gChanged.notify_all();
  }
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool Available() { return true; }

bool SendFolder(const std::string& serverUrl, const std::string& folder, const std::string& extension,
                std::string* why) {
  std::vector<std::string> names;
  for (const std::string& name : files::FolderNames(folder))
    if (EndsWith(name, extension) && name.size() > extension.size()) names.push_back(name);
  if (names.empty()) return true;
  std::sort(names.begin(), names.end());

  // scheme://host[:port][/prefix]
  const size_t scheme = serverUrl.find("://");
  if (scheme == std::string::npos || serverUrl.compare(0, scheme, "http") != 0) {
    *why = "the address '" + serverUrl + "' is not an http:// address";
    return false;
  }
  const size_t slash = serverUrl.find('/', scheme + 3);
  const std::string origin = serverUrl.substr(0, slash);
  std::string prefix = slash == std::string::npos ? "" : serverUrl.substr(slash);
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
  httplib::Client client(origin);
  if (!client.is_valid()) {
    *why = "the address '" + serverUrl + "' cannot be used";
    return false;
  }
  client.set_connection_timeout(10);
  client.set_read_timeout(30);
  client.set_write_timeout(30);

  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    std::vector<uint8_t> bytes;
    int error = 0;
    // A replay is at most 2 MB on the server; a larger file is never taken.
    constexpr size_t kLargest = 2u << 20;
    if (!files::ReadWholeFile(path, kLargest + 1, &bytes, &error)) {
      if (error == ENOENT) continue;  // sent and removed by another copy of the game
      *why = "cannot read " + path + ": " + files::ErrorText(error);
      return false;
    }
    const httplib::Result sent =
        client.Post((prefix + "/api/replays").c_str(), reinterpret_cast<const char*>(bytes.data()), bytes.size(),
                    "application/octet-stream");
    if (!sent) {
      *why = serverUrl + ": " + httplib::to_string(sent.error());
      return false;
    }
    // Taken, or never to be taken (not a replay, too large): either way it
    // leaves the queue; anything else (too many at once, the server's own
    // trouble) is tried again later.
    if (sent->status == 202 || sent->status == 400 || sent->status == 413) {
      if (sent->status != 202)
        std::fprintf(stderr, "tessivane: the score server refused %s for good (status %d)\n", name.c_str(),
                     sent->status);
      int removeError = 0;
      files::RemoveFile(path, &removeError);
      continue;
    }
    *why = serverUrl + " answered with status " + std::to_string(sent->status);
    return false;
  }
  return true;
}

void SendFolderNow(const std::string& serverUrl, const std::string& folder, const std::string& extension) {
  std::string why;
  if (SendFolder(serverUrl, folder, extension, &why)) return;
  std::fprintf(stderr,
               "tessivane: the replay was not sent to the score server (%s); it is sent again at the next start\n",
               why.c_str());
  gFailed = true;
}

void SendFolderInBackground(const std::string& serverUrl, const std::string& folder,
                            const std::string& extension) {
  std::lock_guard<std::mutex> lock(gMutex);
  gRequests.push_back({serverUrl, folder, extension});
  if (!gThreadStarted) {
    gThreadStarted = true;
    std::thread(Work).detach();
  }
  gChanged.notify_all();
}

uint32_t TakeFailure() { return gFailed.exchange(false) ? 1 : 0; }

void FinishSending(uint32_t ms) {
  std::unique_lock<std::mutex> lock(gMutex);
  gChanged.wait_for(lock, std::chrono::milliseconds(ms), [] { return gRequests.empty() && !gBusy; });
}

}  // namespace online
