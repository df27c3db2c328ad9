#include "server/verdict.h"

#include <nlohmann/json.hpp>

namespace server {
namespace {

constexpr int kVerified = 0;
constexpr int kNotVerified = 3;

Judgement Refused(const std::string& reason) {
  Judgement j;
  j.decided = true;
  j.verdict.reason = reason;
  return j;
}

Judgement ServerFault(const std::string& what) {
  Judgement j;
  j.serverFault = what;
  return j;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

}  // namespace

Judgement JudgeVerifierRun(const VerifierRun& run, const VerifierLimits& limits, const std::string& thisBuild) {
  using End = VerifierRun::End;
  switch (run.end) {
    case End::CannotStart: return ServerFault("the verifier cannot start: " + run.error);
    case End::Cancelled: return ServerFault("the server is stopping");
    case End::CpuLimit:
    case End::WallLimit:
      return Refused("it plays longer than this server verifies (" + std::to_string(limits.cpuSeconds) +
                     " s of CPU time, " + std::to_string(limits.wallSeconds) + " s in all)");
    case End::Signalled:
      return Refused("it could not be verified: the verifier stopped on signal " + std::to_string(run.signal) +
                     " (it may ask for more memory than this server gives)");
    case End::Exited: break;
  }
  if (run.status != kVerified && run.status != kNotVerified)
    return ServerFault("the verifier ended with status " + std::to_string(run.status) + ": " + Trimmed(run.error));

  const nlohmann::json out = nlohmann::json::parse(run.output, nullptr, false);
  if (!out.is_object() || !out.contains("verified") || !out["verified"].is_boolean())
    return ServerFault("the verifier's answer is not the expected JSON: " + Trimmed(run.output.substr(0, 200)));

  Judgement j;
  j.decided = true;
  Verdict& v = j.verdict;
  try {
    v.build = out.value("build", "");
    v.recorded = out.value("recorded", "");
    v.difficulty = out.value("difficulty", "");
    v.startStage = out.value("startStage", 0);
    v.stageReached = out.value("stageReached", 0);
    v.ending = out.value("ending", "");
    v.score = out.value("score", 0.0);
    v.place = out.value("place", 0);
    v.name = out.value("name", "");
    v.frames = out.value("frames", int64_t(0));
    v.digests = out.value("digests", int64_t(0));
    if (out.contains("medals") && out["medals"].is_array()) {
      for (const auto& m : out["medals"]) {
        if (!v.medals.empty()) v.medals += ",";
        v.medals += m.is_string() ? m.get<std::string>() : m.dump();
      }
    }
  } catch (const nlohmann::json::exception& e) {
    return ServerFault(std::string("the verifier's answer has a member of the wrong kind: ") + e.what());
  }
  const bool verified = out["verified"].get<bool>();
  if (verified != (run.status == kVerified))
    return ServerFault("the verifier's answer and its exit status disagree");

  if (!verified) {
    // The verifier's reasons begin with their kind ("damaged: ...", "other
    // rules: ...", "did not verify: ..."); a header's false claim is one that
    // did not verify.
    const std::string why = out.contains("reason") && out["reason"].is_string() ? out["reason"].get<std::string>()
                                                                                : "no reason given";
    bool kindGiven = false;
    for (const char* kind : {"damaged", "other rules", "did not verify"})
      kindGiven = kindGiven || why.rfind(kind, 0) == 0;
    v.reason = kindGiven ? why : "did not verify: " + why;
  } else if (v.build != thisBuild) {
    v.reason = "other rules: recorded by " + v.build + "; this server plays " + thisBuild;
  } else if (out.contains("practice") && out["practice"].is_boolean() && out["practice"].get<bool>()) {
    v.reason = "not eligible: a practice run";
  } else if (v.startStage != 1) {
    v.reason = "not eligible: it started at stage " + std::to_string(v.startStage) +
               "; the boards rank whole games from stage 1";
  } else if (!IsBoardDifficulty(v.difficulty)) {
    v.reason = "not eligible: no board for the difficulty '" + v.difficulty + "'";
  } else {
    v.ranked = true;
  }
  return j;
}

}  // namespace server
