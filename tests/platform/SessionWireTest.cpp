// The codec's guards against untrusted bytes, on payloads built by hand so
// that the decoder is judged on its own and not by its own encoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SessionWire.h"

using wire::Frame;
using wire::Kind;

namespace {

std::string U16(size_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
std::string Str(const std::string& text) { return U16(text.size()) + text; }
std::string Header(uint32_t length) {
  return {static_cast<char>(length >> 24), static_cast<char>(length >> 16 & 0xFF),
          static_cast<char>(length >> 8 & 0xFF), static_cast<char>(length & 0xFF)};
}
// A Send payload: type 7 and `body`.
std::string SendPayload(const std::string& body) { return std::string("\x0A\0\0\0\x07", 5) + Str(body); }

}  // namespace

TEST(SessionWire, Utf8IsCheckedOnItsOwnAndInEveryDecodedString) {
  const std::vector<std::string> bad = {
      "\xED\xA0\x80",
      "\xED\xBF\xBF",  // surrogates U+D800, U+DFFF
      "\xC0\xAF",
      "\xC1\xBF",
      "\xE0\x80\xAF",
      "\xE0\x9F\xBF",  // overlong
      "\xF0\x80\x80\xAF",
      "\xF0\x8F\xBF\xBF",  // overlong
      "\xF4\x90\x80\x80",
      "\xF5\x80\x80\x80",
      "\xFF",  // above U+10FFFF, never a lead byte
      "\xC3",
      "a\xE2\x82",
      "\xF0\x9F\x98",
      "\xE2\x82z",  // cut short
      "\x80",
      "\x80\x80",
      "a\xBF\x80z",  // stray continuation bytes
  };
  for (const std::string& text : bad) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_FALSE(wire::IsUtf8(text));
    EXPECT_FALSE(wire::DecodePayload(SendPayload(text)));
    EXPECT_FALSE(wire::Encode(Frame{.kind = Kind::Send, .body = text}));
  }
  const std::vector<std::string> good = {
      "",
      "plain",
      "\xC2\x80",
      "\xDF\xBF",  // U+0080, U+07FF
      "\xE0\xA0\x80",
      "\xED\x9F\xBF",
      "\xEE\x80\x80",  // U+0800, U+D7FF, U+E000
      "\xEF\xBF\xBF",
      "\xF0\x90\x80\x80",  // U+FFFF, U+10000
      "\xF4\x8F\xBF\xBF",
      "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x9C\x93",  // U+10FFFF, mixed
  };
  for (const std::string& text : good) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_TRUE(wire::IsUtf8(text));
    const auto frame = wire::DecodePayload(SendPayload(text));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->body, text);
  }
}

TEST(SessionWire, EachStringFieldHasItsLimitBothWays) {
  struct Field {
    Kind kind;
    size_t limit;
    std::string before, after;  // the payload around the string, after the kind
    std::string Frame::*member;
  };
  const std::vector<Field> fields = {
      {Kind::Hello, wire::kMaxAppId, std::string("DRVH\0\1\2", 7), "", &Frame::appId},
      {Kind::CreatePlayer, wire::kMaxName, "", Str(""), &Frame::friendlyName},
      {Kind::Refuse, wire::kMaxText, std::string(4, '\0'), "", &Frame::text},
      {Kind::Send, wire::kMaxBody, std::string(4, '\0'), "", &Frame::body},
  };
  for (const Field& f : fields) {
    SCOPED_TRACE(static_cast<int>(f.kind));
    for (const size_t size : {f.limit, f.limit + 1}) {
      const std::string text(size, 'x');
      Frame frame{.kind = f.kind, .purpose = wire::Purpose::Join};
      frame.*f.member = text;
      const auto decoded = wire::DecodePayload(static_cast<char>(f.kind) + f.before + Str(text) + f.after);
      if (size == f.limit) {
        EXPECT_TRUE(wire::Encode(frame));
        ASSERT_TRUE(decoded);
        EXPECT_EQ((*decoded).*f.member, text);
      } else {
        EXPECT_FALSE(wire::Encode(frame));
        EXPECT_FALSE(decoded);
      }
    }
  }
}

TEST(SessionWire, BytesAfterTheLastFieldAreRefused) {
  EXPECT_TRUE(wire::DecodePayload("\x0D"));
  EXPECT_FALSE(wire::DecodePayload(std::string("\x0D\0", 2)));
  EXPECT_TRUE(wire::DecodePayload(SendPayload("hi")));
  EXPECT_FALSE(wire::DecodePayload(SendPayload("hi") + "!"));
  EXPECT_FALSE(wire::DecodePayload(std::string("\x07\0\0\0\x05\0", 6)));  // YouAre
}

TEST(SessionWire, FrameReaderRefusesAnEmptyOrOversizedLengthBeforeItsPayloadArrives) {
  const std::string ping = wire::Encode(Frame{}).value();
  wire::Frame frame;
  {
    wire::FrameReader reader;  // two frames, the second one byte at a time
    reader.Feed(ping);
    const std::string send = wire::Encode(Frame{.kind = Kind::Send, .type = 3, .body = "go"}).value();
    for (char c : send) reader.Feed(std::string(1, c));
    EXPECT_EQ(reader.Next(frame), wire::FrameReader::Result::Frame);
    EXPECT_EQ(reader.Next(frame), wire::FrameReader::Result::Frame);
    EXPECT_EQ(frame.body, "go");
    EXPECT_EQ(reader.Next(frame), wire::FrameReader::Result::NeedMore);
  }
  {
    wire::FrameReader reader;  // the largest length may still come
    reader.Feed(Header(wire::kMaxPayload));
    EXPECT_EQ(reader.Next(frame), wire::FrameReader::Result::NeedMore);
  }
  for (const uint32_t length : {0u, wire::kMaxPayload + 1, 0xFFFFFFFFu}) {
    SCOPED_TRACE(length);
    wire::FrameReader reader;
    reader.Feed(Header(length));
    EXPECT_EQ(reader.Next(frame), wire::FrameReader::Result::Error);
    reader.Feed(ping);  // and for good
    EXPECT_EQ(reader.Next(frame), wire::FrameReader::Result::Error);
  }
}
