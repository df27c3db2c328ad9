// The game's state as JSON text, the way the state dumps write it.
#pragma once

#include <string>

#include "app/state_registry.h"

// `s` as a JSON string (quotes, backslashes and control characters escaped).
void AppendJsonString(std::string& out, const std::string& s);

// Element `k` of the registered global `e`: numbers as the dump writes them
// (floats to nine significant digits, not-a-number and infinities as null),
// names as JSON strings.
void AppendStateValue(std::string& out, const StateEntry& e, int k);

// The whole global `e`: its value, or `[a, b, ...]` for a table.
void AppendStateEntry(std::string& out, const StateEntry& e);
