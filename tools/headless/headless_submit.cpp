#include "tools/headless/headless_submit.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "platform/replay_file.h"
#include "tools/headless/headless_replay.h"

namespace {

constexpr int kRanked = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;
// The longest wait for a verdict: the queue and a long game's verification.
constexpr auto kVerdictWait = std::chrono::minutes(20);
constexpr auto kPollEvery = std::chrono::milliseconds(200);

int Fail(const std::string& why) {
  std::fprintf(stderr, "tessivane-headless: %s\n", why.c_str());
  return kFailed;
}

std::string Said(const httplib::Result& r) {
  if (!r) return httplib::to_string(r.error());
  const nlohmann::json body = nlohmann::json::parse(r->body, nullptr, false);
  if (body.is_object() && body.contains("error") && body["error"].is_string())
    return "status " + std::to_string(r->status) + ": " + body["error"].get<std::string>();
  return "status " + std::to_string(r->status);
}

}  // namespace

int SubmitReplay(const std::string& url, const std::string& file) {
  // scheme://host[:port][/prefix]
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos || (url.compare(0, scheme, "http") != 0 && url.compare(0, scheme, "https") != 0)) {
    std::fprintf(stderr, "tessivane-headless: --submit takes an http:// or https:// address, got '%s'\n", url.c_str());
    return kUsageError;
  }
  const size_t slash = url.find('/', scheme + 3);
  const std::string origin = url.substr(0, slash);
  std::string prefix = slash == std::string::npos ? "" : url.substr(slash);
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();

  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadReplayFile(file, &bytes, &why)) return Fail(file + " " + why);

  httplib::Client client(origin);
  if (!client.is_valid()) {
    std::fprintf(stderr, "tessivane-headless: --submit cannot use the address '%s'\n", url.c_str());
    return kUsageError;
  }
  client.set_connection_timeout(10);
  client.set_read_timeout(60);
  const httplib::Result sent = client.Post((prefix + "/api/replays").c_str(),
                                           reinterpret_cast<const char*>(bytes.data()), bytes.size(),
                                           "application/octet-stream");
  if (!sent || sent->status != 202) return Fail(url + " did not take the replay: " + Said(sent));
  const nlohmann::json accepted = nlohmann::json::parse(sent->body, nullptr, false);
  if (!accepted.is_object() || !accepted.contains("id") || !accepted["id"].is_number_integer())
    return Fail(url + " took the replay but gave no id");
  const std::string status = prefix + "/api/replays/" + std::to_string(accepted["id"].get<long long>());

  const auto deadline = std::chrono::steady_clock::now() + kVerdictWait;
  while (std::chrono::steady_clock::now() < deadline) {
    const httplib::Result r = client.Get(status.c_str());
    if (!r || r->status != 200) return Fail(url + " cannot say how the replay stands: " + Said(r));
    const nlohmann::json answer = nlohmann::json::parse(r->body, nullptr, false);
    const std::string state = answer.is_object() && answer.contains("status") && answer["status"].is_string()
                                  ? answer["status"].get<std::string>()
                                  : std::string();
    if (state == "ranked" || state == "refused") {
      std::printf("%s\n", answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
      if (state == "refused")
        std::fprintf(stderr, "tessivane-headless: %s refused the replay: %s\n", url.c_str(),
                     answer.value("reason", std::string("no reason given")).c_str());
      return state == "ranked" ? kRanked : kReplayRefused;
    }
    if (state != "queued" && state != "verifying") return Fail(url + " answered something unexpected: " + r->body);
    std::this_thread::sleep_for(kPollEvery);
  }
  return Fail(url + " gave no verdict within " +
              std::to_string(std::chrono::duration_cast<std::chrono::minutes>(kVerdictWait).count()) + " minutes");
}
