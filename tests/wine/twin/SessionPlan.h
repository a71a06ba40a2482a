// One randomised host session, the same from the same seed in every build: the
// folder it runs in (device library present, absent or lacking an entry point),
// the settings strings and key scripts it uses, the export calls in order, and
// what its key callback does when chords arrive.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

enum class Call {
  kNone,
  kInit,
  kTerminate,
  kDisplay,
  kDisplayStatus,
  kClear,
  kRefresh,
  kSleep,
  kTimer,
  kEpisode
};

struct Step {
  Call call = Call::kNone;
  int settings = 0;        // kInit: index into SessionPlan::settings
  bool callback = true;    // kInit: the recording callback, or none
  int offset = 0;          // kDisplay, kDisplayStatus: the cells at SessionPlan::cells + offset,
  bool nullCells = false;  // or none
  int count = 0;
  int value = 0;        // kSleep; kEpisode: index into SessionPlan::episodes
  bool joined = false;  // the next step belongs with it (an episode's steps)
};

// A stretch of the session played as a message-driven screen reader plays it:
// its thread polls from a timer and idles in GetMessage, while
enum class Host {
  kMessages,  // another thread sends it messages whose handlers show rows;
  kDialog,    // a chord opens a dialog whose loop shows a row and polls;
  kHandOff,   // each chord is handed to a second thread, which shows rows and
              // may then put the display to sleep;
  kOutage     // nothing else happens while the display goes away and comes back.
};

struct Episode {
  Host host = Host::kMessages;
  std::vector<Step> calls;  // the handlers' calls (kMessages, kHandOff)
  int dialogMs = 0;         // how long the dialog stays open (kDialog)
  int script = 0;           // its key script: index into SessionPlan::scripts
  std::string replayed;     // that script once the episode is over: every event due at once
  int keys = 0;             // its key events, all delivered before the loop ends (kOutage)
};

struct SettingsString {
  bool null;
  std::string text;
};

class SessionPlan {
 public:
  enum Folder { kPresent, kAbsent, kNoLength };
  static const int kCellBytes = 512;
  // A display key pressed and released as a script's last event: alone, its
  // chord may stop the display, since nothing of the script comes after it.
  static const int kMarkerKey = 0x7E;

  explicit SessionPlan(uint32_t seed);

  std::string LogName() const;
  std::string ScriptName(int index) const;
  std::string SettingsFileName() const;
  // Whether any of its settings has the simulated display answer at random.
  bool Faulty() const;

  uint32_t seed;
  Folder folder = kPresent;
  std::vector<std::string> scripts;  // key scripts, written as ScriptName(i)
  std::string settingsFile;          // written as SettingsFileName()
  std::vector<SettingsString> settings;
  std::vector<Step> steps;
  std::vector<Step> onChord;  // the callback's call on its n-th chord (kNone: none)
  std::vector<Episode> episodes;
  Step onMarker;  // and on the marker key's chord
  unsigned char cells[kCellBytes] = {};
};
