#include "SessionPlan.h"

#include <algorithm>

#include "Random.h"

namespace {

const int kAvoidType3 = SessionPlan::kMarkerKey;
const int kAvoidType4 = SessionPlan::kMarkerKey + 128;  // the same key index

std::string Event(int type, int flags, int code) {
  return "0 " + std::to_string(type) + " " + std::to_string(flags) + " " + std::to_string(code) +
         "\n";
}

// A key in one of its forms: pressed and released, both in one event, held,
// or released without a press.
std::string Key(Random& random, int type, int code) {
  switch (random.Below(4)) {
    case 0:
      return Event(type, 2, code) + Event(type, 1, code);
    case 1:
      return Event(type, 3, code);
    case 2:
      return Event(type, 2, code);
    default:
      return Event(type, 1, code);
  }
}

int DisplayKeyCode(Random& random, int type) {
  const int codes[] = {0, 1, 5, 8, 10, 60, 99, 100, 101, 127, 128, 129, 200, 255};
  int code = random.Percent(50) ? random.Pick(codes) : 1 + random.Below(125);
  return code == (type == 3 ? kAvoidType3 : kAvoidType4) ? 1 : code;
}

// Events of all four types, chords, odd flags and odd types, all due at once:
// a session sees the same events whichever polls collect them.
std::string Script(Random& random, bool marker) {
  const int characters[] = {'a',  'Z',  '5',  ' ',  '.',  '@',  '^',  '~',  0xE9, 0xE8, 0xE0, 0xE7,
                            0xFC, 0xF4, 0xF1, 0x80, 0xDF, 0xC9, 0x09, 0x0D, 0x00, 0x7F, 0xFF};
  const int virtualKeys[] = {0x0D, 0x10, 0x11, 0x12, 0x25, 0x28, 0x2E,
                             0x41, 0x5B, 0x70, 0x90, 0xA5, 0x00, 0xFF};
  const int oddFlags[] = {0x00, 0x04, 0xFC, 0xFF};
  std::string script;
  for (int n = 1 + random.Below(10); n > 0; --n) {
    int kind = random.Below(100);
    int type = 3 + random.Below(2);
    if (kind < 30) {
      script += Key(random, 1, random.Pick(characters));
    } else if (kind < 50) {
      script += Key(random, 2, random.Pick(virtualKeys));
    } else if (kind < 70) {
      script += Key(random, type, DisplayKeyCode(random, type));
    } else if (kind < 80) {
      int first = DisplayKeyCode(random, type), second = DisplayKeyCode(random, 3);
      script +=
          Event(type, 2, first) + Event(3, 2, second) + Event(3, 1, second) + Event(type, 1, first);
    } else if (kind < 90) {
      script += Event(1 + random.Below(4), random.Pick(oddFlags), DisplayKeyCode(random, 3));
    } else {
      script += Event(5 + random.Below(251), 3, random.Below(256));
    }
  }
  if (marker) script += Event(3, 3, SessionPlan::kMarkerKey);
  return script;
}

std::string Number(Random& random, const int* values, int count) {
  return std::to_string(values[random.Below(count)]);
}

// Settings the simulated display accepts, with its log always, and a key
// script, a cell count and random faults at times.
std::string Valid(Random& random, const SessionPlan& plan, bool brief) {
  const int cells[] = {40, 40, 80, 1, 0, -1, 128, 200};
  const int rates[] = {5, 20, 50};
  std::string text = "log=" + plan.LogName();
  if (!plan.scripts.empty() && random.Percent(80)) {
    text += ";keys=" + plan.ScriptName(random.Below(static_cast<int>(plan.scripts.size())));
  }
  if (random.Percent(40)) text += ";cells=" + Number(random, cells, 8);
  if (brief) return text;
  if (random.Percent(40)) text += ";faults=" + std::to_string(1 + random.Below(99999));
  if (random.Percent(30)) text += ";faultrate=" + Number(random, rates, 3);
  if (random.Percent(5)) text += ";init=fail";
  return text;
}

// Valid settings of exactly length characters: the log's path padded with "./".
std::string Padded(Random& random, const SessionPlan& plan, size_t length) {
  std::string text = Valid(random, plan, true);
  size_t missing = length - text.size();
  std::string padding;
  for (size_t i = 0; i < missing / 2; ++i) padding += "./";
  text.insert(4, padding);
  if (missing % 2) text += ";";
  return text;
}

SettingsString Settings(Random& random, SessionPlan& plan) {
  int kind = random.Below(100);
  if (kind < 55) return {false, Valid(random, plan, false)};
  if (kind < 62) return {false, Padded(random, plan, 79)};
  if (kind < 68) return {false, Padded(random, plan, 80)};
  if (kind < 74) {
    std::string text(80 + random.Below(220), ' ');
    for (char& c : text) c = static_cast<char>(0x21 + random.Below(0x5E));
    return {false, text};
  }
  if (kind < 79) {
    return {false, "log=" + plan.LogName() + (random.Percent(50) ? ";bogus=1" : ";cells=x")};
  }
  if (kind < 90) {
    plan.settingsFile = Valid(random, plan, false);
    for (char& c : plan.settingsFile) c = c == ';' ? '\n' : c;
    return {false, "file=" + plan.SettingsFileName()};
  }
  if (kind < 95) return {false, ""};
  return {true, ""};
}

Step MakeStep(Random& random, const SessionPlan& plan, Call call) {
  const int counts[] = {0, 1, 5, 40, 40, 40, 127, 128, 129, 200, 256, -1, -100};
  const int offsets[] = {0, 0, 0, 0, 1, 7, 64, 255};
  const int sleeps[] = {1, 1, 0, 0, 0, 0, 2, -1, 0x7FFFFFFF};
  Step step;
  step.call = call;
  step.settings = random.Below(static_cast<int>(plan.settings.size()));
  step.callback = random.Percent(85);
  step.offset = random.Pick(offsets);
  step.nullCells = random.Percent(10);
  step.count = random.Pick(counts);
  step.value = random.Pick(sleeps);
  return step;
}

Call AnyCall(Random& random) {
  const Call calls[] = {Call::kInit,          Call::kInit,    Call::kInit,    Call::kTerminate,
                        Call::kTerminate,     Call::kDisplay, Call::kDisplay, Call::kDisplay,
                        Call::kDisplayStatus, Call::kClear,   Call::kRefresh, Call::kSleep,
                        Call::kSleep,         Call::kTimer,   Call::kTimer,   Call::kTimer,
                        Call::kTimer,         Call::kTimer};
  return random.Pick(calls);
}

// A chord, then characters typed right after it, all due at once. A dialog's
// are one character repeated: the poll that reads the chord types characters
// it read too only once the callback returns, after those the dialog's own
// polls read later; whether it read any depends on the clock.
std::string EpisodeScript(Random& random, Host host) {
  const int characters[] = {'a', 'Z', '5', ' ', '.', 0xE9};
  std::string script = Event(3, 3, DisplayKeyCode(random, 3));
  int character = random.Pick(characters);
  for (int n = 1 + random.Below(3); n > 0; --n) {
    script += Event(1, 3, character);
    if (host != Host::kDialog) character = random.Pick(characters);
  }
  return script;
}

// The characters of an episode's script come 50 ms after its chord, so that a
// poll that reads the chord never reads them too (how polls divide events due
// at once depends on the clock, and a callback's own polls read what its poll
// left), and a dialog opened by the chord reads them itself. Once the episode
// is over, the script is written again with every event due at once: a later
// wake that starts it again, with no episode waiting for its characters, gets
// them all in one drain, as any other script's.
std::string Delayed(std::string script) {
  return script.replace(script.find('\n') + 1, 1, "50");
}

Episode MakeEpisode(Random& random, const SessionPlan& plan) {
  const Host hosts[] = {Host::kMessages, Host::kDialog, Host::kHandOff};
  const Call rowCalls[] = {Call::kDisplay, Call::kDisplay, Call::kDisplayStatus, Call::kClear,
                           Call::kRefresh};
  Episode episode;
  episode.host = random.Pick(hosts);
  int calls = episode.host == Host::kMessages ? 3 + random.Below(30) : 1 + random.Below(3);
  for (; calls > 0; --calls) episode.calls.push_back(MakeStep(random, plan, random.Pick(rowCalls)));
  // The dialog shows one row, sent once however often it is shown; now and
  // then it stays open past a call's deadline.
  if (episode.host == Host::kDialog) episode.calls[0].call = Call::kDisplay;
  // Now and then the second thread ends with "braille off": it puts the
  // display to sleep while the chord's callback waits for it.
  if (episode.host == Host::kHandOff && random.Percent(30)) {
    episode.calls.push_back(MakeStep(random, plan, Call::kSleep));
    episode.calls.back().value = 1;
  }
  episode.dialogMs = random.Percent(10) ? 3500 : 150 + random.Below(300);
  return episode;
}

// Opens the display afresh, awake, with the episode's own script, and plays it
// at a random place in the session, never among another episode's steps; an
// episode that ends asleep wakes the display again, so that no other episode
// plays asleep (what the bridge answers for a call it keeps is what the driver
// answers awake).
void Insert(Random& random, SessionPlan& plan, Episode episode, const std::string& script) {
  episode.script = static_cast<int>(plan.scripts.size());
  plan.scripts.push_back(script);
  plan.settings.push_back(
      {false, "log=" + plan.LogName() + ";keys=" + plan.ScriptName(episode.script)});
  Step close = MakeStep(random, plan, Call::kTerminate);
  Step open = MakeStep(random, plan, Call::kInit);
  open.settings = static_cast<int>(plan.settings.size()) - 1;
  open.callback = true;
  Step wake = MakeStep(random, plan, Call::kSleep);
  wake.value = 0;
  Step play = MakeStep(random, plan, Call::kEpisode);
  play.value = static_cast<int>(plan.episodes.size());
  plan.episodes.push_back(episode);
  std::vector<Step> steps = {close, open, wake, play};
  if (!episode.calls.empty() && episode.calls.back().call == Call::kSleep) steps.push_back(wake);
  for (size_t i = 0; i + 1 < steps.size(); ++i) steps[i].joined = true;
  size_t at = random.Below(static_cast<int>(plan.steps.size()) + 1);
  while (at > 0 && at < plan.steps.size() && plan.steps[at - 1].joined) ++at;
  plan.steps.insert(plan.steps.begin() + at, steps.begin(), steps.end());
}

// Host behaviours in a session whose display library is there.
void AddEpisodes(Random& random, SessionPlan& plan) {
  if (plan.folder != SessionPlan::kPresent || !random.Percent(40)) return;
  for (int n = 1 + random.Below(2); n > 0; --n) {
    Episode episode = MakeEpisode(random, plan);
    episode.replayed = EpisodeScript(random, episode.host);
    Insert(random, plan, episode, Delayed(episode.replayed));
  }
}

// Held down as the display goes away, all due at once: keys of a typed
// character, a Shift (a type 2 press), a display key, or a display key of a
// chord whose other key came and went.
std::string Held(Random& random) {
  int key = DisplayKeyCode(random, 3);
  switch (random.Below(4)) {
    case 0:
      return Event(1, 3, 'a') + Event(1, 2, 0xE9);
    case 1:
      return Event(2, 2, 0x10);
    case 2:
      return Event(3, 2, key);
    default:
      return Event(3, 2, key) + Event(3, 3, DisplayKeyCode(random, 3));
  }
}

// Due ms after the line before it.
std::string Wait(int ms, std::string script) {
  return script.replace(0, 1, std::to_string(ms));
}

// Keys held, then the display switched off for 2 to 2.5 s or unplugged for 3
// to 4 s, then a character typed and a chord. What the display hands out and
// loses depends on no clock: the keys before are read before it goes (500 ms
// later), and the keys after come when the driver has surely seen it back
// (1.5 s after power on, where it asks within 500 ms; 6 s after plugging in,
// where it starts afresh within 3 s).
void AddOutage(Random& random, SessionPlan& plan) {
  if (plan.folder != SessionPlan::kPresent || plan.Faulty() || !random.Percent(8)) return;
  const int characters[] = {'a', 'Z', '5', ' ', 0xE9};
  std::string before = Held(random);
  std::string after = Event(1, 3, random.Pick(characters)) + Event(3, 3, DisplayKeyCode(random, 3));
  std::string outage = random.Percent(50)
                           ? "500 power off\n" + std::to_string(2000 + random.Below(500)) +
                                 " power on\n" + Wait(1500, after)
                           : "500 unplug\n" + std::to_string(3000 + random.Below(1000)) +
                                 " plug in\n" + Wait(6000, after);
  Episode episode;
  episode.host = Host::kOutage;
  episode.replayed = before + after;
  for (char c : episode.replayed) episode.keys += c == '\n';
  Insert(random, plan, episode, before + outage);
}

}  // namespace

SessionPlan::SessionPlan(uint32_t seed) : seed(seed) {
  Random random(seed);
  const Folder folders[] = {kPresent, kPresent, kPresent, kPresent, kPresent,
                            kPresent, kPresent, kPresent, kAbsent,  kNoLength};
  folder = random.Pick(folders);
  for (unsigned char& cell : cells) cell = static_cast<unsigned char>(random.Next());
  const Call duringChord[] = {Call::kNone,          Call::kNone,  Call::kDisplay,
                              Call::kDisplayStatus, Call::kClear, Call::kRefresh};
  const Call onLastChord[] = {Call::kNone,  Call::kSleep, Call::kSleep,   Call::kTerminate,
                              Call::kTimer, Call::kInit,  Call::kDisplay, Call::kRefresh};
  bool marker = random.Percent(60);
  for (int n = random.Percent(85) ? 1 + random.Below(2) : 0; n > 0; --n) {
    scripts.push_back(Script(random, marker));
  }
  for (int n = 1 + random.Below(2); n > 0; --n) settings.push_back(Settings(random, *this));
  // Most sessions open the display first, as hosts do; the rest start anywhere.
  if (random.Percent(60)) {
    settings[0] = {false, Valid(random, *this, false)};
    steps.push_back(MakeStep(random, *this, Call::kInit));
    steps.back().settings = 0;
  }
  for (int n = 4 + random.Below(28); n > 0; --n) {
    steps.push_back(MakeStep(random, *this, AnyCall(random)));
  }
  // Calls that change the display only where they change no key delivery.
  for (int n = random.Below(4); n > 0; --n) {
    onChord.push_back(MakeStep(random, *this, random.Pick(duringChord)));
  }
  onMarker = MakeStep(random, *this, random.Pick(onLastChord));
  AddEpisodes(random, *this);
  AddOutage(random, *this);
}

std::string SessionPlan::LogName() const {
  return "twin" + std::to_string(seed) + ".log";
}

std::string SessionPlan::ScriptName(int index) const {
  return "twin" + std::to_string(seed) + "k" + std::to_string(index) + ".txt";
}

bool SessionPlan::Faulty() const {
  auto faulty = [](const std::string& text) { return text.find("faults=") != std::string::npos; };
  return faulty(settingsFile) ||
         std::any_of(settings.begin(), settings.end(),
                     [&](const SettingsString& s) { return faulty(s.text); });
}

std::string SessionPlan::SettingsFileName() const {
  return "twin" + std::to_string(seed) + ".set";
}
