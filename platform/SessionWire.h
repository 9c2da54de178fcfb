// The session service's wire format (docs/protocol.md), with no Qt and no
// sockets so that it can be fuzzed: frames on the TCP connection, the two
// discovery datagrams, and the parser of a typed address. Everything read from
// the network goes through here and is bounded: a length, a count or a string
// that does not fit is a decoding error, never an allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "network/SessionService.h"

namespace wire {

inline constexpr uint16_t kVersion = 1;
inline constexpr char kHelloMagic[4] = {'D', 'R', 'V', 'H'};
inline constexpr char kQueryMagic[4] = {'D', 'R', 'V', 'Q'};
inline constexpr char kAnswerMagic[4] = {'D', 'R', 'V', 'A'};

// A frame is a 4-byte length and then that many bytes of payload.
inline constexpr uint32_t kMaxPayload = 4096;
// Limits of the texts, in bytes of UTF-8.
inline constexpr size_t kMaxAppId = 64;
inline constexpr size_t kMaxName = 256;  // session and player names
inline constexpr size_t kMaxText = 512;  // refusal descriptions
inline constexpr size_t kMaxBody = kMaxMessageBody;
inline constexpr size_t kMaxDatagram = 1024;

enum class Kind : uint8_t {
  Hello = 1,           // client -> host: magic, version, purpose, application id
  Session = 2,         // host -> client, answer to a query: version, session
  Welcome = 3,         // host -> client, answer to a join: version, session
  Refuse = 4,          // host -> client: number, text; the host then closes
  CreatePlayer = 5,    // client -> host: friendly, formal
  PlayerRefused = 6,   // host -> client: number, text
  YouAre = 7,          // host -> client: id of the client's own new player
  PlayerAdded = 8,     // host -> client: id, friendly, formal
  PlayerRemoved = 9,   // host -> client: id
  Send = 10,           // client -> host: type, body
  Message = 11,        // host -> client: from, type, body
  SessionUpdate = 12,  // host -> client: session
  Ping = 13,           // either way, empty
};

enum class Purpose : uint8_t { Query = 1, Join = 2 };

// What a session tells about itself.
struct SessionInfo {
  std::string appId;
  std::string name;
  int32_t maxPlayers = 0;
  int32_t currentPlayers = 0;
  int32_t flags = 0;
  bool operator==(const SessionInfo&) const = default;
};

// One frame of any kind; only the fields of its kind are written and read.
struct Frame {
  Kind kind = Kind::Ping;
  uint16_t version = kVersion;  // Hello, Session, Welcome
  Purpose purpose = Purpose::Query;
  std::string appId{};         // Hello
  SessionInfo session{};       // Session, Welcome, SessionUpdate
  int32_t number = 0;          // Refuse, PlayerRefused
  std::string text{};          // Refuse, PlayerRefused
  int32_t id = 0;              // YouAre, PlayerAdded, PlayerRemoved; `from` of Message
  std::string friendlyName{};  // CreatePlayer, PlayerAdded
  std::string formalName{};    // CreatePlayer, PlayerAdded
  int32_t type = 0;            // Send, Message
  std::string body{};          // Send, Message
  bool operator==(const Frame&) const = default;
};

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// The frame with its length prefix; nullopt when a field is over its limit or
// not UTF-8 (a local mistake: nothing is sent).
std::optional<std::string> Encode(const Frame& frame);
// One payload without its length prefix; nullopt when it is malformed.
std::optional<Frame> DecodePayload(std::string_view payload);

// Cuts a byte stream into frames. It keeps at most one unfinished frame.
class FrameReader {
 public:
  enum class Result { NeedMore, Frame, Error };
  void Feed(std::string_view bytes) { buffer_.append(bytes); }
  // The next whole frame; Error (for good) on a bad length or payload.
  Result Next(Frame& out);
  size_t Buffered() const { return buffer_.size() - offset_; }

 private:
  std::string buffer_;
  size_t offset_ = 0;
  bool failed_ = false;
};

// Discovery: a query names the application; a host of it answers with its
// session and the TCP port to join on.
struct Answer {
  SessionInfo session;
  uint16_t port = 0;
  bool operator==(const Answer&) const = default;
};
std::optional<std::string> EncodeQuery(std::string_view appId);
std::optional<std::string> DecodeQuery(std::string_view datagram);  // the application id
std::optional<std::string> EncodeAnswer(const Answer& answer);
std::optional<Answer> DecodeAnswer(std::string_view datagram);

// A typed address: "host", "host:port", "[v6]", "[v6]:port", or a bare IPv6
// address (more than one colon, no port). Blank space around it is ignored.
struct Address {
  std::string host;
  std::optional<uint16_t> port;
};
std::optional<Address> ParseAddress(std::string_view text);
// host:port, with brackets around an IPv6 host.
std::string FormatAddress(std::string_view host, uint16_t port);

}  // namespace wire
