// The Help menu's two windows, one of each for the whole run: made on first
// use, gone when the user closes them, made afresh on the next choice. Both are
// top-level windows with no owner, shown modeless.
#pragma once

#include <QPointer>

#include "shell/frmAbout.h"
#include "shell/frmWeb.h"

class HelpWindows {
 public:
  HelpWindows() = default;
  HelpWindows(const HelpWindows&) = delete;
  HelpWindows& operator=(const HelpWindows&) = delete;
  ~HelpWindows();  // closes what is still open

  // The open window, or a newly loaded one (its Form_Load runs here).
  frmWeb& Web();
  frmAbout& About();

  // The open windows, or null.
  frmWeb* OpenWeb() const { return web_; }
  frmAbout* OpenAbout() const { return about_; }

  // Shows a window modeless and brings it to the front.
  static void ShowModeless(QWidget& window);

 private:
  QPointer<frmWeb> web_;
  QPointer<frmAbout> about_;
};
