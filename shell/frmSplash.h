// The splash window: the title artwork and the version, shown while the board
// window starts up.
#pragma once

#include <QLabel>
#include <QWidget>

class frmSplash : public QWidget {
  Q_OBJECT
 public:
  explicit frmSplash(QWidget* parent = nullptr);

  QLabel* Picture() const { return picture_; }
  QLabel* lblVersion() const { return lblVersion_; }

  // "Version 3.0.4": major, minor and revision of the program's version.
  static QString VersionText();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Form_Load();

  QLabel* picture_ = nullptr;
  QLabel* lblVersion_ = nullptr;
};
