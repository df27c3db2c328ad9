// Every global of the game by its name, for state dumps and replays.
#pragma once

enum class StateType { U8, I16, I32, F32, Str };

struct StateEntry {
  const char* name;
  StateType type;
  void* data;  // the first element
  int count;   // 1 for a scalar
};

extern const StateEntry kStateEntries[];
extern const int kStateEntryCount;
