// The homepage window: a line about the running version above an embedded web
// browser showing the game's homepage, where updates are offered.
#pragma once

#include <QLabel>
#include <QStringList>
#include <QWidget>

class frmWeb : public QWidget {
  Q_OBJECT
 public:
  // The update page on the game's own site.
  static constexpr const char* kHomePage = "http://www.dravenholt.example/update.html";

  // Empty module paths mean the browser module's usual places.
  explicit frmWeb(QStringList modulePaths = {}, QWidget* parent = nullptr);

  // The Navigate property: the address last written ("" before any), and
  // writing it sends the browser there.
  QString Navigate() const { return strNavigate; }
  void SetNavigate(QString vNewValue);

  QLabel* lblVersion() const { return lblVersion_; }
  // The browser's place below the label, and the browser in it (null when the
  // browser module could not be loaded).
  QWidget* Web() const { return web_; }
  QWidget* Browser() const { return browser_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Form_Load();
  void Form_Resize();

  QStringList modulePaths_;
  QString strNavigate;
  QLabel* lblVersion_ = nullptr;
  QWidget* web_ = nullptr;
  QWidget* browser_ = nullptr;
};
