// The channel's framing over the stand-in's pipe, at the bridge's end
// (overlapped, accepting a client that comes late, never or after the helper
// ended, and with deadlines) or the helper's (opened by name, blocking): arbitrary bytes in
// arbitrary chunks, each arriving late or at once, whole messages split across
// reads, writes taken a few bytes at a time or late, and the other end closing
// at any point. Checks, besides memory safety: Accept takes exactly a client that
// came by the deadline while the helper ran; Accept, Receive and Send return by their
// deadline and leave no read or write pending on their buffers; a message is
// received exactly as its bytes arrived, and never one larger than
// kMaxPayload; a message whose bytes all wait in the pipe is received; Send
// writes exactly the message.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "../../src/bridge/channel/Channel.h"
#include "FakePipe.h"
#include "FuzzInput.h"
#include "KeyState.h"

namespace {

struct Input : FuzzInput {
  // Two bytes, low first, of which the high one counts up to mask.
  uint32_t Size(uint8_t highMask) {
    uint32_t low = Byte();
    return low | (Byte() & highMask) << 8;
  }
  std::string Bytes(size_t n) {
    std::string bytes;
    while (n-- > 0 && !Done()) bytes += static_cast<char>(Byte());
    return bytes;
  }
  // Mostly at once, sometimes a little late, now and then very late.
  DWORD Delay() {
    uint8_t b = Byte();
    return b < 160 ? 0 : b < 250 ? (b - 159) * 10 : 20000;
  }
};

std::string Header(uint32_t kind, uint32_t size) {
  std::string header;
  for (uint32_t word : {kind, size}) {
    for (int i = 0; i < 4; ++i) header += static_cast<char>(word >> (8 * i));
  }
  return header;
}

uint32_t Word(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

struct Session {
  Channel channel;
  bool overlapped = true;
  std::string sent;    // every byte the other end sent, in order
  bool inStep = true;  // every call so far succeeded: the stream is at a message's start

  // A message as the other end writes it, mostly well formed, cut into chunks.
  void Arrive(Input& in) {
    uint32_t kind = 0x100 + in.Byte() % 8;
    uint32_t size = in.Size(0x0F);
    std::string bytes = Header(kind, size) + in.Bytes(size);
    while (!bytes.empty()) {
      size_t n = 1 + in.Byte() % 64 * 40;
      Chunk(bytes.substr(0, n), in.Delay());
      bytes.erase(0, n);
    }
  }

  void Chunk(const std::string& bytes, DWORD delayMs) {
    if (bytes.empty()) return;
    fake::pipe().incoming.push_back({bytes, delayMs});
    sent += bytes;
  }

  // How many bytes a read gets without waiting.
  size_t Waiting() const {
    size_t n = 0;
    for (const fake::PipeChunk& chunk : fake::pipe().incoming) {
      if (chunk.delayMs > 0) break;
      n += chunk.bytes.size();
    }
    return n;
  }

  void Receive(ULONGLONG deadline) {
    fake::Pipe& pipe = fake::pipe();
    size_t start = pipe.delivered;
    size_t waiting = Waiting();
    uint32_t announced = waiting >= 8 ? Word(sent, start + 4) : 0;
    Message message;
    // At the helper's blocking end, a read that finds nothing means that the
    // bridge has gone: it would wait for ever for a bridge that is there.
    bool open = pipe.open;
    pipe.open = overlapped && open;
    bool ok = channel.Receive(&message, deadline);
    pipe.open = open;
    Returned(deadline);
    if (inStep && waiting >= 8 && announced > Message::kMaxPayload) {
      Require(!ok, "a header announcing more than kMaxPayload is refused");
    }
    if (inStep && waiting >= 8 && announced <= Message::kMaxPayload && waiting >= 8 + announced) {
      Require(ok, "a message whose bytes wait in the pipe is received");
    }
    if (ok) Require(message.Size() <= Message::kMaxPayload, "no message beyond the limit");
    if (ok && inStep) {
      unsigned char header[Message::kHeaderSize];
      message.WriteHeader(header);
      std::string got(reinterpret_cast<char*>(header), sizeof header);
      got.append(reinterpret_cast<const char*>(message.Payload()), message.Size());
      Require(pipe.delivered - start == got.size() && sent.compare(start, got.size(), got) == 0,
              "a message is received as its bytes arrived");
    }
    inStep = inStep && ok;
  }

  // A message of the given size, written while the other end takes what the input says.
  void Send(Input& in) {
    Message message(static_cast<MessageKind>(1 + in.Byte() % 12));
    std::string payload = in.Bytes(in.Size(0x07));
    message.PutBytes(payload.data(), static_cast<uint32_t>(payload.size()));
    for (int n = in.Byte() % 4; n > 0; --n) {
      fake::pipe().takes.push_back({1u + in.Byte() % 64 * 40, in.Delay()});
    }
    ULONGLONG deadline = Deadline(in);
    size_t start = fake::pipe().taken.size();
    bool ok = channel.Send(message, deadline);
    Returned(deadline);
    std::string expected = Header(static_cast<uint32_t>(message.Kind()), message.Size()) + payload;
    if (ok) Require(fake::pipe().taken.substr(start) == expected, "Send writes the message");
    fake::pipe().takes.clear();
    inStep = inStep && ok;
  }

  ULONGLONG Deadline(Input& in) const {
    return overlapped ? fake::pipe().nowMs + in.Byte() * 20u : Channel::kNever;
  }

  void Returned(ULONGLONG deadline) const {
    Require(fake::pipe().unfinished == 0, "no read or write left pending on a buffer");
    if (overlapped) Require(fake::pipe().nowMs <= deadline, "returns by its deadline");
  }

  // The helper opens the pipe by name; the bridge waits for it to, while it runs.
  // With `scripted` clear the client is there at once.
  bool Connect(Input& in, bool scripted) {
    fake::Pipe& pipe = fake::pipe();
    if (!overlapped) {
      fake::win().createFileResult = pipe.handle;
      return channel.Open("\\\\.\\pipe\\fuzz");
    }
    ULONGLONG deadline = pipe.nowMs;
    if (scripted) {
      pipe.clientMs = in.Byte() == 255 ? fake::kNever : in.Delay();
      pipe.peerEndsMs = in.Byte() < 128 ? fake::kNever : in.Delay();
      deadline = Deadline(in);
    }
    bool ok = channel.Attach(pipe.handle, true) && channel.Accept(pipe.peer, deadline);
    Returned(deadline);
    bool came = pipe.clientMs <= deadline && pipe.clientMs <= pipe.peerEndsMs;
    Require(ok == came, "Accept takes a client that came in time while the helper ran");
    return ok;
  }

  void Step(Input& in) {
    switch (in.Byte() % 5) {
      case 0:
        Arrive(in);
        break;
      case 1: {
        std::string bytes = in.Bytes(in.Byte());
        Chunk(bytes, in.Delay());
        break;
      }
      case 2:
        Receive(Deadline(in));
        break;
      case 3:
        Send(in);
        break;
      case 4:
        fake::pipe().open = false;
        break;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake::ResetPipe();
  fake::win().recordOnly = {"none"};  // no check reads the recorded calls
  Input in{{data, size}};
  Session session;
  uint8_t mode = in.Byte();
  session.overlapped = mode & 1;
  bool connected = session.Connect(in, mode & 2);
  while (connected && !in.Done()) session.Step(in);
  session.channel.Close();
  Require(fake::pipe().unfinished == 0, "no read or write left pending once closed");
  return 0;
}
