#include "shell/HelpWindows.h"

HelpWindows::~HelpWindows() {
  // The browser must be gone before the application is.
  delete web_;
  delete about_;
}

frmWeb& HelpWindows::Web() {
  if (!web_) web_ = new frmWeb();
  return *web_;
}

frmAbout& HelpWindows::About() {
  if (!about_) about_ = new frmAbout();
  return *about_;
}

void HelpWindows::ShowModeless(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}
