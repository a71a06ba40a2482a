#include "TypingSample.h"

#include <windows.h>

#include "SampleSentences.h"
#include "TypingWindow.h"

namespace {

// A character of the ANSI code page that is text: not a control character (DEL
// and the bytes Windows-1252 leaves undefined map to those), nor half of a
// double-byte one.
bool IsText(wchar_t ch) {
  return ch >= 0x20 && !(ch >= 0x7F && ch <= 0x9F);
}

}  // namespace

TypingSample::TypingSample() {
  for (int ch = 0x20; ch <= 0xFF; ++ch) Add(static_cast<unsigned char>(ch));
  characters = static_cast<int>(bytes.size());
  for (const std::string& sentence : SampleSentences::Texts()) {
    for (char ch : sentence) Add(static_cast<unsigned char>(ch));
  }
}

void TypingSample::Add(unsigned char ch) {
  CHAR narrow = static_cast<CHAR>(ch);
  WCHAR wide = 0;
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &narrow, 1, &wide, 1) != 1) return;
  if (!IsText(wide)) return;
  bytes += narrow;
  expected += wide;
}

int TypingSample::Sentences() const {
  return static_cast<int>(SampleSentences::Texts().size());
}

// Each character pressed, then released, as a display's keyboard sends it; all
// due at once, so the driver takes them as fast as its polls collect them.
bool TypingSample::WriteScript(const wchar_t* path) const {
  std::string script;
  for (unsigned char ch : bytes) {
    std::string code = std::to_string(ch);
    script += "0 1 0x02 " + code + "\n0 1 0x01 " + code + "\n";
  }
  script += "0 2 0x03 " + std::to_string(TypingWindow::kEndKey) + "\n";
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
  return CloseHandle(file) && ok && written == script.size();
}
