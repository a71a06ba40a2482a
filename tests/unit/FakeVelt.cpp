#include "FakeVelt.h"

#include <string.h>

namespace fakevelt {

Library& library() {
  static Library state;
  return state;
}

namespace {

int WINAPI Initialisation(const char* settings) {
  fake::Record("Initialisation(\"" + std::string(settings) + "\")");
  ++library().initialisations;
  library().initialisedAt.push_back(fake::win().lastTick);
  fake::win().lastTick += library().initialisationMs;
  if (library().initialisationResult) library().awaitingInitialisation = false;
  return library().initialisationResult;
}

int WINAPI Fermeture() {
  fake::Record("Fermeture()");
  ++library().fermetures;
  return 1;
}

int WINAPI LectureClavier(unsigned char* code, unsigned char* flags) {
  fake::Record("LectureClavier()");
  if (library().events.empty() || library().events.front().dueUs > fake::win().clockUs) return 0;
  Event event = library().events.front();
  library().events.pop_front();
  *code = event.code;
  *flags = event.flags;
  return event.type;
}

int WINAPI Affichage(const unsigned char* cells) {
  fake::Record("Affichage()");
  library().shown.push_back(std::string(reinterpret_cast<const char*>(cells), 128));
  library().shownAt.push_back(fake::win().lastTick);
  return 1;
}

int WINAPI LongueurBarette() {
  fake::Record("LongueurBarette()");
  library().askedAt.push_back(fake::win().lastTick);
  fake::win().lastTick += library().askMs;
  return library().awaitingInitialisation ? 0 : library().cellCount;
}

}  // namespace

void Install(std::initializer_list<const char*> missing) {
  library() = Library();
  fake::Module module;
  module.name = "VELT.DLL";
  module.exports = {{"Initialisation", fake::Export(Initialisation)},
                    {"Fermeture", fake::Export(Fermeture)},
                    {"LectureClavier", fake::Export(LectureClavier)},
                    {"Affichage", fake::Export(Affichage)},
                    {"LongueurBarette", fake::Export(LongueurBarette)}};
  for (const char* name : missing) module.exports.erase(name);
  fake::win().modules.push_back(module);
}

int References() {
  for (const fake::Module& module : fake::win().modules) {
    if (module.name == "VELT.DLL") return module.references;
  }
  return 0;
}

}  // namespace fakevelt
