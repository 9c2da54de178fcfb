#include "fakes/Fakes.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

std::vector<std::string> EventLog::only(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& e : events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
  return out;
}

bool EventLog::has(const std::string& e) const {
  for (const auto& x : events)
    if (x == e) return true;
  return false;
}

std::string EventLog::joined(const std::string& sep) const {
  std::string out;
  for (const auto& e : events) out += e + sep;
  return out;
}

int FakeView::VisibleCount() const {
  int n = 0;
  for (const auto& i : imag) n += i.visible ? 1 : 0;
  return n;
}

void FakeView::LoadImag(int index, int templ) {
  auto& i = imag.at(static_cast<size_t>(index));
  i.loaded = true;
  i.templ = templ;
  i.visible = false;
}

void FakeView::SetImagVisible(int index, bool visible) {
  auto& i = imag.at(static_cast<size_t>(index));
  if (i.visible && !visible) log_.add("hide:" + std::to_string(index));
  i.visible = visible;
}

void FakeView::MoveImag(int index, int leftTwips, int topTwips) {
  auto& i = imag.at(static_cast<size_t>(index));
  i.left = leftTwips;
  i.top = topTwips;
  log_.add("show:" + std::to_string(index) + "@" + std::to_string(leftTwips) + "," + std::to_string(topTwips));
}

void FakeView::SetPanelText(int panel, const std::string& text) {
  panels.at(static_cast<size_t>(panel)) = text;
  log_.add("panel" + std::to_string(panel) + ":" + text);
}

void FakeView::SetOptChecked(int index, bool checked) {
  opt.at(static_cast<size_t>(index)) = checked;
  log_.add("opt" + std::to_string(index) + (checked ? ":checked" : ":unchecked"));
}

void FakeView::SetOptEnabled(int index, bool enabled) {
  optEnabled.at(static_cast<size_t>(index)) = enabled;
  log_.add("opt" + std::to_string(index) + (enabled ? ":enabled" : ":disabled"));
}

void FakeView::SetTimingEnabled(bool on) {
  timing = on;
  log_.add(on ? "timer:on" : "timer:off");
}

int FakeView::MsgBox(const std::string& prompt, int buttons, const std::string& title) {
  log_.add("box:" + prompt + "|" + title);
  msgBoxFlags.push_back(buttons);
  if (onMsgBox) onMsgBox(prompt);
  if (msgBoxAnswers.empty()) return vbOK;
  int a = msgBoxAnswers.front();
  msgBoxAnswers.pop_front();
  return a;
}

std::string FakeView::InputBox(const std::string& prompt, const std::string& title, size_t) {
  log_.add("input:" + prompt + "|" + title);
  if (inputAnswers.empty()) return "";
  std::string a = inputAnswers.front();
  inputAnswers.pop_front();
  return a;
}

void FakeView::DoEvents() {
  ++doEventsCalls;
  log_.add("doevents");
  if (onDoEvents) onDoEvents();
}

void FakeView::WaitForEvents() {
  ++waitCalls;
  log_.add("wait");
  if (onWait) onWait();
}

void FakeView::ShowSplash() {
  splashVisible = true;
  log_.add("splash:show");
}

void FakeView::UnloadSplash() {
  splashVisible = false;
  log_.add("splash:unload");
}

void FakeView::ShowDeviceWindow() {
  log_.add("device");
  if (onDeviceWindow) onDeviceWindow();
}

void FakeView::EndProgram() {
  ended = true;
  log_.add("end");
}

void FakeSound::PlaySound(const std::string& path, bool) {
  paths.push_back(path);
  std::string base = std::filesystem::path(path).stem().string();
  log_.add("snd:" + base);
}

float ScriptedRandom::Rnd() {
  ++draws;
  if (!script.empty()) {
    float v = script.front();
    script.pop_front();
    return v;
  }
  state_ ^= state_ << 13;
  state_ ^= state_ >> 7;
  state_ ^= state_ << 17;
  return static_cast<float>(state_ >> 40) * (1.0f / 16777216.0f);
}

int32_t FakeSession::GetMessages(int32_t& fromPlayerId, int32_t& toPlayerId) {
  ++polls;
  if (inbox.empty()) return 0;
  Message m = inbox.front();
  inbox.pop_front();
  fromPlayerId = m.from;
  toPlayerId = 1;
  current_ = m.body;
  return m.type;
}

bool FakeSession::SendDPText(int32_t msgType, const std::string& text) {
  sent.emplace_back(msgType, text);
  log_.add("send:" + std::to_string(msgType) + ":" + text);
  if (onSend) onSend(msgType, text);
  return true;
}

void FakeOpponent::ComputerDeploy() {
  log_.add("computer:deploy");
  if (onDeploy) onDeploy();
}

void FakeOpponent::ComputerMoveTanks() {
  log_.add("computer:move");
  if (onMove) onMove();
}

void FakeOpponent::ComputerPlanFireMissions() {
  log_.add("computer:plan");
  if (onPlan) onPlan();
}

Rig::Rig() {
  board.SetOpponent(&opp);
  board.Form_Load();
  log.clear();
  sound.paths.clear();
  rnd.randomizeCalls = 0;
  rnd.draws = 0;
}

Rig::~Rig() {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

std::string Rig::MakeTempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "dhtest-XXXXXX").string();
  char* made = mkdtemp(templ.data());
  return made ? std::string(made) : std::string("/tmp");
}

void Rig::DeployApart() {
  for (int t = 1; t <= 6; ++t) {
    Place("1", t, t, 10);
    Place("2", t, t, 1);
  }
  for (int g = 7; g <= 11; ++g) {
    Place("1", g, g - 6, 7);
    Place("2", g, g - 6, 4);
  }
  Place("1", 12, 9, 6);
  Place("1", 13, 10, 6);
  Place("2", 12, 9, 5);
  Place("2", 13, 10, 5);
  Place("1", 14, 7, 8);
  Place("1", 15, 8, 9);
  Place("1", 16, 9, 7);
  Place("2", 14, 7, 3);
  Place("2", 15, 8, 2);
  Place("2", 16, 9, 4);
}
