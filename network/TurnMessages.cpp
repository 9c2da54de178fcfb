#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "board/Board.h"

namespace {

int SideNumber(const std::string& side) { return side == "2" ? 2 : 1; }
std::string ReceiverDigit(const std::string& side) { return side == "1" ? "2" : "1"; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The leading decimal number of a field (blanks anywhere are ignored, no number
// reads as 0), rounded half to even. Nothing when it does not fit 16 bits, so a
// peer's oversized value can never wrap into a plausible square.
std::optional<int16_t> FieldValue(std::string_view text) {
  std::string s;
  for (char c : text)
    if (!IsBlank(c)) s += c;

  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  int64_t whole = 0;
  bool tooBig = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (!tooBig) whole = whole * 10 + (s[i] - '0');
    if (whole > 100000) tooBig = true;
    ++i;
  }
  if (tooBig) return std::nullopt;

  if (i < s.size() && s[i] == '.') {
    ++i;
    size_t first = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    std::string_view frac(s.data() + first, i - first);
    if (!frac.empty()) {
      bool above = false, half = false;
      if (frac[0] > '5') {
        above = true;
      } else if (frac[0] == '5') {
        half = true;
        for (size_t k = 1; k < frac.size(); ++k)
          if (frac[k] != '0') above = true;
      }
      if (above || (half && whole % 2 == 1)) ++whole;
    }
  }

  int64_t value = negative ? -whole : whole;
  if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
  return static_cast<int16_t>(value);
}

// One field read up to `sep`: on a find the value is taken and the position moves
// past the separator; without one, both stay. `ok` turns false on an unfit value.
void ReadField(const std::string& body, size_t& p, char sep, int16_t& value, bool& ok) {
  size_t c = body.find(sep, p);
  if (c == std::string::npos) return;
  std::optional<int16_t> v = FieldValue(std::string_view(body).substr(p, c - p));
  if (v) {
    value = *v;
  } else {
    ok = false;
  }
  p = c + 1;
}

// Records of four fields: side, unit or mission, column, row. Calls store(s, u, x, y)
// for every record that is within the tables; others are skipped.
template <typename Store>
void DecodeSquares(const std::string& body, int16_t maxNumber, bool clampSquares, Store store) {
  size_t p = 0;
  int16_t s = 0, u = 0, x = 0, y = 0;
  while (p + 1 < body.size()) {
    const size_t start = p;
    bool ok = true;
    ReadField(body, p, ',', s, ok);
    ReadField(body, p, ',', u, ok);
    ReadField(body, p, ',', x, ok);
    ReadField(body, p, ';', y, ok);
    if (p == start) break;  // a tail without any separator can never be read
    if (clampSquares) {
      if (x > 10) x = 0;
      if (y > 10) y = 0;
    }
    if (!ok || s < 0 || s > 2 || u < 0 || u > maxNumber) continue;
    store(s, u, x, y);
  }
}

}  // namespace

void Board::SendPositions(const std::string& side) {
  const int n = SideNumber(side);
  const std::string to = ReceiverDigit(side);
  std::string body;
  for (int u = 1; u <= 16; ++u) {
    body += to + "," + std::to_string(u) + "," + std::to_string(11 - UnitPos[n][u][1]) + "," +
            std::to_string(11 - UnitPos[n][u][2]) + ";";
  }
  Panel(1, "Sending Position Data");
  if (DebugMode) {
    view_.MsgBox(body, vbOKCancel, "All Positions");
    WriteTrace(to, "All Positions", body);
  }
  if (gDirPlay) gDirPlay->SendDPText(msgPositions, body);
}

void Board::SendFireMissions(const std::string& side) {
  const int n = SideNumber(side);
  const std::string to = ReceiverDigit(side);
  // The target table holds five missions; never read past it.
  const int count = std::min<int>(FireMissions[n], 5);
  std::string body;
  for (int j = 1; j <= count; ++j) {
    body += to + "," + std::to_string(j) + "," + std::to_string(11 - FireTarget[n][j][1]) + "," +
            std::to_string(11 - FireTarget[n][j][2]) + ";";
  }
  Panel(1, "Sending Fire Mission Data");
  if (DebugMode) {
    WriteTrace(to, "Artillery", body);
    view_.MsgBox(body, vbOKCancel, "Artillery");
  }
  if (gDirPlay) gDirPlay->SendDPText(msgFireMissions, body);
}

void Board::SendStats(const std::string& side) {
  const int n = SideNumber(side);
  const std::string to = ReceiverDigit(side);
  std::string body;
  for (int16_t v : {TotalMoves[n], TankMoves[n], FireMissions[n]}) body += to + "," + std::to_string(v) + ";";
  Panel(1, "Sending Stats Data");
  if (DebugMode) WriteTrace(to, "STATS", body);
  if (gDirPlay) gDirPlay->SendDPText(msgStats, body);
}

void Board::DecodePositions(const std::string& body) {
  DecodeSquares(body, 16, true, [this](int16_t s, int16_t u, int16_t x, int16_t y) {
    UnitPos[s][u][1] = x;
    UnitPos[s][u][2] = y;
  });
}

void Board::DecodeFireMissions(const std::string& body) {
  DecodeSquares(body, 5, false, [this](int16_t s, int16_t u, int16_t x, int16_t y) {
    FireTarget[s][u][1] = x;
    FireTarget[s][u][2] = y;
  });
}

void Board::DecodeStats(const std::string& body) {
  size_t p = 0;
  int16_t s = 0, v = 0;
  for (int record = 0; record < 3; ++record) {
    bool ok = true;
    ReadField(body, p, ',', s, ok);
    ReadField(body, p, ';', v, ok);
    if (!ok || s < 0 || s > 2) continue;
    if (record == 0) {
      TotalMoves[s] = v;
    } else if (record == 1) {
      TankMoves[s] = v;
    } else if (s == 0 || (v >= 1 && v <= 5)) {
      // Fire missions index the five-entry target table: a side never gets more, nor none.
      FireMissions[s] = v;
    }
  }
}
