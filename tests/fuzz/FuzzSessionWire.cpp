// libFuzzer target for everything the session service reads off the network:
// the frame stream (cut into two reads at a point the input picks), a single
// payload, the discovery datagrams and a typed address. Besides not crashing,
// whatever is accepted must encode back to exactly the bytes it came from.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/SessionWire.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string Prefixed(std::string_view payload) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(payload.size() >> (24 - 8 * i));
  return out.append(payload);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // The stream, in two reads.
  wire::FrameReader reader;
  const size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  size_t consumed = 0;
  std::string accepted;
  for (std::string_view piece : {input.substr(0, cut), input.substr(cut)}) {
    reader.Feed(piece);
    wire::Frame frame;
    wire::FrameReader::Result result;
    while ((result = reader.Next(frame)) == wire::FrameReader::Result::Frame) {
      const auto again = wire::Encode(frame);
      Check(again.has_value());
      accepted += *again;
    }
    Check(reader.Buffered() <= 4 + wire::kMaxPayload + piece.size());
    if (result == wire::FrameReader::Result::Error) break;
  }
  consumed = accepted.size();
  Check(input.substr(0, consumed) == accepted);

  // One payload on its own.
  if (const auto frame = wire::DecodePayload(input)) {
    const auto again = wire::Encode(*frame);
    Check(again.has_value() && *again == Prefixed(input));
  }

  // Discovery.
  if (const auto appId = wire::DecodeQuery(input)) Check(wire::EncodeQuery(*appId) == std::string(input));
  if (const auto answer = wire::DecodeAnswer(input)) Check(wire::EncodeAnswer(*answer) == std::string(input));

  // A typed address.
  if (const auto address = wire::ParseAddress(input)) {
    Check(!address->host.empty());
    const auto again = wire::ParseAddress(wire::FormatAddress(address->host, address->port.value_or(1)));
    Check(again && again->host == address->host && again->port == address->port.value_or(1));
  }
  return 0;
}
