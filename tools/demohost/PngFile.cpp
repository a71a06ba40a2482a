#include "PngFile.h"

#include <stdio.h>

#include <string>

namespace {

DWORD Crc(const std::string& bytes) {
  static DWORD table[256];
  if (!table[1]) {
    for (DWORD n = 0; n < 256; ++n) {
      DWORD c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  }
  DWORD crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Big(std::string* out, DWORD value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

void Chunk(std::string* out, const char* type, const std::string& data) {
  Big(out, static_cast<DWORD>(data.size()));
  std::string body = std::string(type, 4) + data;
  out->append(body);
  Big(out, Crc(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string Stored(const std::string& raw) {
  std::string z = "\x78\x01";
  size_t at = 0;
  do {
    size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<char>(n & 0xFF));
    z.push_back(static_cast<char>(n >> 8));
    z.push_back(static_cast<char>(~n & 0xFF));
    z.push_back(static_cast<char>((~n >> 8) & 0xFF));
    z.append(raw, at, n);
    at += n;
  } while (at < raw.size());
  DWORD a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  Big(&z, b << 16 | a);
  return z;
}

}  // namespace

bool PngFile::Write(const char* path, int width, int height, const std::vector<DWORD>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) {
    return false;
  }
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      DWORD p = pixels[static_cast<size_t>(y) * width + x];
      raw.push_back(static_cast<char>(p >> 16));
      raw.push_back(static_cast<char>(p >> 8));
      raw.push_back(static_cast<char>(p));
    }
  }
  std::string header;
  Big(&header, static_cast<DWORD>(width));
  Big(&header, static_cast<DWORD>(height));
  header.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  Chunk(&png, "IHDR", header);
  Chunk(&png, "IDAT", Stored(raw));
  Chunk(&png, "IEND", "");
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  bool ok = fwrite(png.data(), 1, png.size(), file) == png.size();
  return fclose(file) == 0 && ok;
}
