// The About box: the title, version, disclaimer, the maker's lines and two
// links, and a button that starts the desktop's system-information program.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "platform/Registry.h"

// A label that reports a click of the left button, as the link labels need.
class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void Click();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// What the About box calls outside itself. Left empty, each is the desktop's
// own: the process's registry (answered with this desktop's
// system-information program when the box starts), QProcess, QDesktopServices.
struct AboutServices {
  reg::Registry* registry = nullptr;
  std::function<bool(const QString& path)> launch;
  std::function<bool(const QString& address)> openLink;
};

class frmAbout : public QWidget {
  Q_OBJECT
 public:
  explicit frmAbout(AboutServices services = {}, QWidget* parent = nullptr);

  // The controls, by their names.
  QLabel* picIcon() const { return picIcon_; }
  QLabel* lblTitle() const { return lblTitle_; }
  QLabel* lblVersion() const { return lblVersion_; }
  QLabel* lblQORV() const { return lblQORV_; }
  QLabel* lblDescription() const { return lblDescription_; }
  QLabel* lblDisclaimer() const { return lblDisclaimer_; }
  LinkLabel* lblLink(int index) const { return lblLink_.at(static_cast<size_t>(index)); }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

  // Starts the system-information program the registry names, or says it is unavailable.
  void StartSysInfo();
  // Reads the value SubKeyRef of the key KeyName below KeyRoot into KeyVal;
  // true when it was read.
  bool GetKeyValue(reg::HKEY& KeyRoot, QString& KeyName, QString& SubKeyRef, QString& KeyVal);

  // The trademark line, seven blanks and the copyright line, trimmed of the
  // blanks at both ends: what lblQORV shows.
  static QString TrademarkLine(const QString& trademark, const QString& copyright);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Form_Load();
  void cmdOK_Click();
  void cmdSysInfo_Click();
  void lblLink_Click(int16_t Index);

  AboutServices services_;
  QLabel* picIcon_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblVersion_ = nullptr;
  QLabel* lblQORV_ = nullptr;
  QLabel* lblDescription_ = nullptr;
  QLabel* lblDisclaimer_ = nullptr;
  std::array<LinkLabel*, 2> lblLink_{};
  QPushButton* cmdOK_ = nullptr;
  QPushButton* cmdSysInfo_ = nullptr;
  bool placed_ = false;
};
