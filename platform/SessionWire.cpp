#include "platform/SessionWire.h"

#include <cstring>

namespace wire {
namespace {

// Reads fields off a payload; the first short read or bad field makes every
// later read fail too, so a decoder checks once at the end.
class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}

  bool Ok() const { return ok_; }
  bool AtEnd() const { return ok_ && pos_ == data_.size(); }

  uint8_t U8() {
    if (!Have(1)) return 0;
    return static_cast<uint8_t>(data_[pos_++]);
  }
  uint16_t U16() {
    uint16_t hi = U8();
    return static_cast<uint16_t>(hi << 8 | U8());
  }
  uint32_t U32() {
    uint32_t hi = U16();
    return hi << 16 | U16();
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }

  std::string Str(size_t limit) {
    const size_t length = U16();
    if (length > limit || !Have(length)) return Fail();
    std::string text(data_.substr(pos_, length));
    pos_ += length;
    if (!IsUtf8(text)) return Fail();
    return text;
  }
  bool Magic(const char (&magic)[4]) {
    if (!Have(4) || std::memcmp(data_.data() + pos_, magic, 4) != 0) {
      Fail();
      return false;
    }
    pos_ += 4;
    return true;
  }
  void Require(bool condition) {
    if (!condition) Fail();
  }

 private:
  bool Have(size_t n) {
    if (ok_ && data_.size() - pos_ >= n) return true;
    ok_ = false;
    return false;
  }
  std::string Fail() {
    ok_ = false;
    return {};
  }

  std::string_view data_;
  size_t pos_ = 0;
  bool ok_ = true;
};

class Writer {
 public:
  bool Ok() const { return ok_; }
  std::string& Bytes() { return out_; }

  void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v >> 8));
    U8(static_cast<uint8_t>(v));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v >> 16));
    U16(static_cast<uint16_t>(v));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Str(const std::string& text, size_t limit) {
    if (text.size() > limit || !IsUtf8(text)) {
      ok_ = false;
      return;
    }
    U16(static_cast<uint16_t>(text.size()));
    out_.append(text);
  }
  void Magic(const char (&magic)[4]) { out_.append(magic, 4); }
  void Require(bool condition) {
    if (!condition) ok_ = false;
  }

 private:
  std::string out_;
  bool ok_ = true;
};

bool SessionValid(const SessionInfo& s) { return s.maxPlayers >= 0 && s.currentPlayers >= 0; }

void WriteSession(Writer& w, const SessionInfo& s) {
  w.Require(SessionValid(s));
  w.Str(s.appId, kMaxAppId);
  w.Str(s.name, kMaxName);
  w.I32(s.maxPlayers);
  w.I32(s.currentPlayers);
  w.I32(s.flags);
}

SessionInfo ReadSession(Reader& r) {
  SessionInfo s;
  s.appId = r.Str(kMaxAppId);
  s.name = r.Str(kMaxName);
  s.maxPlayers = r.I32();
  s.currentPlayers = r.I32();
  s.flags = r.I32();
  r.Require(SessionValid(s));
  return s;
}

bool KnownKind(uint8_t k) { return k >= 1 && k <= static_cast<uint8_t>(Kind::Ping); }

}  // namespace

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (n - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = cp << 6 | (cc & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

std::optional<std::string> Encode(const Frame& f) {
  Writer w;
  w.U32(0);  // the length, filled in below
  w.U8(static_cast<uint8_t>(f.kind));
  switch (f.kind) {
    case Kind::Hello:
      w.Magic(kHelloMagic);
      w.U16(f.version);
      w.Require(f.purpose == Purpose::Query || f.purpose == Purpose::Join);
      w.U8(static_cast<uint8_t>(f.purpose));
      w.Str(f.appId, kMaxAppId);
      break;
    case Kind::Session:
    case Kind::Welcome:
      w.U16(f.version);
      WriteSession(w, f.session);
      break;
    case Kind::SessionUpdate:
      WriteSession(w, f.session);
      break;
    case Kind::Refuse:
    case Kind::PlayerRefused:
      w.I32(f.number);
      w.Str(f.text, kMaxText);
      break;
    case Kind::CreatePlayer:
      w.Str(f.friendlyName, kMaxName);
      w.Str(f.formalName, kMaxName);
      break;
    case Kind::YouAre:
    case Kind::PlayerRemoved:
      w.Require(f.id != 0);
      w.I32(f.id);
      break;
    case Kind::PlayerAdded:
      w.Require(f.id != 0);
      w.I32(f.id);
      w.Str(f.friendlyName, kMaxName);
      w.Str(f.formalName, kMaxName);
      break;
    case Kind::Send:
      w.I32(f.type);
      w.Str(f.body, kMaxBody);
      break;
    case Kind::Message:
      w.Require(f.id != 0);
      w.I32(f.id);
      w.I32(f.type);
      w.Str(f.body, kMaxBody);
      break;
    case Kind::Ping:
      break;
    default:
      return std::nullopt;
  }
  std::string& out = w.Bytes();
  const size_t payload = out.size() - 4;
  if (!w.Ok() || payload > kMaxPayload) return std::nullopt;
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(payload >> (24 - 8 * i));
  return std::move(out);
}

std::optional<Frame> DecodePayload(std::string_view payload) {
  Reader r(payload);
  Frame f;
  const uint8_t kind = r.U8();
  if (!r.Ok() || !KnownKind(kind)) return std::nullopt;
  f.kind = static_cast<Kind>(kind);
  switch (f.kind) {
    case Kind::Hello: {
      r.Magic(kHelloMagic);
      f.version = r.U16();
      const uint8_t purpose = r.U8();
      r.Require(purpose == static_cast<uint8_t>(Purpose::Query) || purpose == static_cast<uint8_t>(Purpose::Join));
      f.purpose = static_cast<Purpose>(purpose);
      f.appId = r.Str(kMaxAppId);
      break;
    }
    case Kind::Session:
    case Kind::Welcome:
      f.version = r.U16();
      f.session = ReadSession(r);
      break;
    case Kind::SessionUpdate:
      f.session = ReadSession(r);
      break;
    case Kind::Refuse:
    case Kind::PlayerRefused:
      f.number = r.I32();
      f.text = r.Str(kMaxText);
      break;
    case Kind::CreatePlayer:
      f.friendlyName = r.Str(kMaxName);
      f.formalName = r.Str(kMaxName);
      break;
    case Kind::YouAre:
    case Kind::PlayerRemoved:
      f.id = r.I32();
      r.Require(f.id != 0);
      break;
    case Kind::PlayerAdded:
      f.id = r.I32();
      r.Require(f.id != 0);
      f.friendlyName = r.Str(kMaxName);
      f.formalName = r.Str(kMaxName);
      break;
    case Kind::Send:
      f.type = r.I32();
      f.body = r.Str(kMaxBody);
      break;
    case Kind::Message:
      f.id = r.I32();
      r.Require(f.id != 0);
      f.type = r.I32();
      f.body = r.Str(kMaxBody);
      break;
    case Kind::Ping:
      break;
  }
  if (!r.AtEnd()) return std::nullopt;
  return f;
}

FrameReader::Result FrameReader::Next(Frame& out) {
  if (failed_) return Result::Error;
  if (Buffered() < 4) return Result::NeedMore;
  const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data() + offset_);
  const uint32_t length = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  if (length == 0 || length > kMaxPayload) {
    failed_ = true;
    return Result::Error;
  }
  if (Buffered() - 4 < length) return Result::NeedMore;
  auto frame = DecodePayload(std::string_view(buffer_).substr(offset_ + 4, length));
  if (!frame) {
    failed_ = true;
    return Result::Error;
  }
  offset_ += 4 + length;
  if (offset_ == buffer_.size()) {
    buffer_.clear();
    offset_ = 0;
  } else if (offset_ >= 2 * kMaxPayload) {
    buffer_.erase(0, offset_);
    offset_ = 0;
  }
  out = std::move(*frame);
  return Result::Frame;
}

std::optional<std::string> EncodeQuery(std::string_view appId) {
  Writer w;
  w.Magic(kQueryMagic);
  w.U16(kVersion);
  w.Str(std::string(appId), kMaxAppId);
  if (!w.Ok()) return std::nullopt;
  return std::move(w.Bytes());
}

std::optional<std::string> DecodeQuery(std::string_view datagram) {
  if (datagram.size() > kMaxDatagram) return std::nullopt;
  Reader r(datagram);
  r.Magic(kQueryMagic);
  r.Require(r.U16() == kVersion);
  std::string appId = r.Str(kMaxAppId);
  if (!r.AtEnd()) return std::nullopt;
  return appId;
}

std::optional<std::string> EncodeAnswer(const Answer& a) {
  Writer w;
  w.Magic(kAnswerMagic);
  w.U16(kVersion);
  w.Require(a.port != 0);
  w.U16(a.port);
  WriteSession(w, a.session);
  if (!w.Ok() || w.Bytes().size() > kMaxDatagram) return std::nullopt;
  return std::move(w.Bytes());
}

std::optional<Answer> DecodeAnswer(std::string_view datagram) {
  if (datagram.size() > kMaxDatagram) return std::nullopt;
  Reader r(datagram);
  Answer a;
  r.Magic(kAnswerMagic);
  r.Require(r.U16() == kVersion);
  a.port = r.U16();
  r.Require(a.port != 0);
  a.session = ReadSession(r);
  if (!r.AtEnd()) return std::nullopt;
  return a;
}

namespace {

bool HostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == '_' || c == ':' || c == '%';
}

std::optional<uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  uint32_t port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + static_cast<uint32_t>(c - '0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

}  // namespace

std::optional<Address> ParseAddress(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty() || text.size() > 300) return std::nullopt;

  Address a;
  std::string_view host = text;
  if (text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(1, close - 1);
    if (host.find(':') == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      a.port = ParsePort(rest.substr(1));
      if (!a.port) return std::nullopt;
    }
  } else {
    const size_t first = text.find(':');
    if (first != std::string_view::npos && text.find(':', first + 1) == std::string_view::npos) {
      host = text.substr(0, first);
      a.port = ParsePort(text.substr(first + 1));
      if (!a.port) return std::nullopt;
    }
  }
  if (host.empty() || host.size() > 255) return std::nullopt;
  for (char c : host)
    if (!HostChar(c)) return std::nullopt;
  a.host = std::string(host);
  return a;
}

std::string FormatAddress(std::string_view host, uint16_t port) {
  // Built by appending: GCC 12 at -O3 takes "[" + host for overlapping copies.
  const bool v6 = host.find(':') != std::string_view::npos;
  std::string out;
  if (v6) out += '[';
  out += host;
  if (v6) out += ']';
  out += ':';
  out += std::to_string(port);
  return out;
}

}  // namespace wire
