#include "app/start_request.h"

#include "app/rare_readings.h"
#include "platform/machine.h"

namespace {

// The reading's value: 0 for the title; else the place in bits 8..9, and a
// practice run's choice in bits 0..7 (0x80, the stage in 0..3, the boss in
// 4, the difficulty in 5..6).
constexpr uint32_t kPracticePresent = 0x80;

uint32_t gAsked = 0;
uint32_t gRequest = 0;

uint32_t EncodePractice(const PracticeChoice& c) {
  return kPracticePresent | (c.stage & 0x0Fu) | (c.boss ? 0x10u : 0u) | uint32_t(c.difficulty & 3) << 5;
}

}  // namespace

void AskToStartAt(StartAt at, const PracticeChoice& practice) {
  switch (at) {
    case StartAt::Title: gAsked = 0; break;
    case StartAt::Practice: gAsked = EncodePractice(practice); break;
    case StartAt::TableReplayList: gAsked = 1u << 8; break;
    case StartAt::EscapeReplayList: gAsked = 2u << 8; break;
  }
}

void ReadStartRequest() { gRequest = machine::ReadRareValue(kReadingStartRequest, [] { return gAsked; }); }

StartAt TakeStartRequest(PracticeChoice* practice) {
  const uint32_t v = gRequest;
  gRequest = 0;
  if (v & kPracticePresent) {
    practice->stage = uint8_t(v & 0x0F);
    practice->boss = (v & 0x10) != 0;
    practice->difficulty = uint8_t(v >> 5 & 3);
    if (practice->stage >= 1 && practice->stage <= 8 && practice->difficulty <= 2) return StartAt::Practice;
    return StartAt::Title;
  }
  switch (v >> 8) {
    case 1: return StartAt::TableReplayList;
    case 2: return StartAt::EscapeReplayList;
    default: return StartAt::Title;
  }
}
