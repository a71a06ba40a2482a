// Win32 calls per character the display types, counted in the recording Win32
// stand-in, on each modelled layout: the calls of a press and a release after
// the first character on the layout, beside their floor, the key events
// themselves (keybd_event and SendInput). Run:
// build/bench/tools/bench/keystroke_benchmark (see docs/benchmarks.md).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../../src/driver/keys/Keyboard.h"
#include "FakeWindows.h"

namespace {

struct Sample {
  const char* name;
  const char* text;  // Windows-1252
};

const Sample kSamples[] = {{"a", "a"},          {"e_acute", "\xE9"},       {"e_diaeresis", "\xEB"},
                           {"E_acute", "\xC9"}, {"circumflex_alone", "^"}, {"euro", "\x80"}};

struct Layout {
  const char* name;
  HKL (*handle)();
};

const Layout kLayouts[] = {{"US", [] { return fake::kUnitedStates; }},
                           {"US-International", [] { return fake::kUnitedStatesInternational; }},
                           {"French", [] { return fake::kFrench; }},
                           {"German", [] { return fake::kGerman; }},
                           {"Belgian(Period)", [] { return fake::kBelgianPeriod; }},
                           {"SwissFrench", [] { return fake::kSwissFrench; }},
                           {"CanadianMultilingual", [] { return fake::kCanadianMultilingual; }},
                           {"xkb:ca(multix)", [] { return fake::XkbLayout("ca", "multix"); }},
                           {"xkb:tr", [] { return fake::XkbLayout("tr", ""); }}};

void Type(const std::string& text) {
  for (char ch : text) {
    Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 1);
    Keyboard::TypeCharacter(static_cast<unsigned char>(ch), 0);
  }
}

std::string EveryCharacter() {
  std::string text;
  for (int ch = 0x20; ch < 0x100; ++ch) text += static_cast<char>(ch);
  return text;
}

void CallsPerCharacter(benchmark::State& state, HKL layout, const std::string& text,
                       bool capsLock) {
  fake::Reset();
  fake::SetForegroundLayout(layout);
  fake::SetCapsLock(capsLock);
  Type(text);  // the first character on the layout
  double calls = 0, events = 0, characters = 0;
  for (auto _ : state) {
    fake::win().calls.clear();
    fake::win().typed.clear();
    Type(text);
    calls += static_cast<double>(fake::win().calls.size());
    events += static_cast<double>(fake::Calls({"keybd_event", "SendInput"}).size());
    characters += static_cast<double>(text.size());
  }
  state.counters["calls"] = calls / characters;
  state.counters["events"] = events / characters;
}

// Seventeen layouts in turn, twice as many as the plan keeps and one more: each
// character is the first on its layout, which the plan learns again.
void FirstCharacterOnALayout(benchmark::State& state) {
  std::vector<HKL> layouts;
  for (const Layout& layout : kLayouts) layouts.push_back(layout.handle());
  for (const char* name : {"be", "ch", "fr", "es", "it", "pt", "se", "pl"}) {
    layouts.push_back(fake::XkbLayout(name, ""));
  }
  double calls = 0, characters = 0;
  for (auto _ : state) {
    for (HKL layout : layouts) {
      fake::Reset();
      fake::SetForegroundLayout(layout);
      Type("a");
      calls += static_cast<double>(fake::win().calls.size());
      ++characters;
    }
  }
  state.counters["calls"] = calls / characters;
}

void Register() {
  for (const Layout& layout : kLayouts) {
    HKL handle = layout.handle();
    for (const Sample& sample : kSamples) {
      std::string name = std::string("CallsPerCharacter/") + layout.name + "/" + sample.name;
      benchmark::RegisterBenchmark(name.c_str(), CallsPerCharacter, handle, sample.text, false);
    }
    for (bool capsLock : {false, true}) {
      std::string name = std::string("CallsPerCharacter/") + layout.name + "/every_character" +
                         (capsLock ? "_caps_lock" : "");
      benchmark::RegisterBenchmark(name.c_str(), CallsPerCharacter, handle, EveryCharacter(),
                                   capsLock);
    }
  }
  benchmark::RegisterBenchmark("FirstCharacterOnALayout", FirstCharacterOnALayout);
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
