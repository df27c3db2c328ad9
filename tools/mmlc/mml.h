// The tune compiler: a compact MML-style notation to standard MIDI files.
//
// A tune is plain text. Lines:
//   title <text>               the tune's name (written as the first track's name)
//   macro <NAME> <text>        *NAME in a part is replaced by <text>
//   part <name> <channel>      starts a part (one MIDI track, channel 1..16)
//   anything else              notation for the current part
// ';' starts a comment that runs to the end of the line; '|' (bar line) and
// white space are ignored.
//
// Notation (lengths are note values: 4 = quarter, 8. = dotted eighth, 12 =
// eighth-note triplet; ticks are 480 to the quarter):
//   c d e f g a b   a note; '+' sharp, '-' flat; then a length, dots, and
//                   '^len' ties (c4^16). Without a length: the 'l' length.
//   r               a rest          'abc'len   a chord (octave marks allowed)
//   o<n> > <        octave (o4 c = middle C, note 60); up; down
//   l<n>            default length  v<n> velocity  q<n> gate in eighths (1..8)
//   K<n>            transpose by n semitones (K-2)
//   t<n>            tempo in quarter notes a minute (into the first track)
//   @<n>            program 0..127  V<n> volume  P<n> pan  E<n> reverb
//   [ ... ]<n>      repeat n times; ':' inside leaves on the last pass
//   n<key>,<len>    any key number
// On channel 10 the letters k s h o c p x t m f are drums: kick, snare, closed
// hi-hat, open hi-hat, crash, ride, clap, high tom, mid tom, floor tom.
// Every part of a tune must end at the same moment, so a tune loops whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mml {

constexpr int kTicksPerQuarter = 480;

struct Event {
  uint32_t tick = 0;
  uint8_t status = 0;  // channel message status, or 0xFF for a meta event
  uint8_t data1 = 0;   // key / controller / program, or the meta type
  uint8_t data2 = 0;   // velocity / value
  std::string meta;    // meta event payload
};

struct Track {
  std::string name;
  int channel = 0;            // 0-based
  std::vector<Event> events;  // in file order
};

struct Song {
  std::string title;
  std::vector<Track> tracks;  // tracks[0] is the conductor (tempo, metre)
  uint32_t lengthTicks = 0;
  double seconds = 0;
};

// Compiles a tune; false with a message on the first error.
bool Compile(const std::string& text, Song* song, std::string* error);

// The standard MIDI file (format 1, one track per part after the conductor).
std::vector<uint8_t> WriteSmf(const Song& song);

}  // namespace mml
