#include "shell/frmSplash.h"

#include <QPalette>
#include <QScreen>

#include "board/ui/Pictures.h"
#include "shell/VersionInfo.h"

namespace {
constexpr int kWidth = 586;
constexpr int kHeight = 256;
}  // namespace

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  // Closing the splash must never end the program, even before the board shows.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kWidth, kHeight);

  picture_ = new QLabel(this);
  picture_->setPixmap(RenderPicture(QStringLiteral("splash"), QSize(kWidth, kHeight)));
  picture_->setGeometry(0, 0, kWidth, kHeight);

  lblVersion_ = new QLabel(this);
  lblVersion_->setObjectName(QStringLiteral("lblVersion"));
  lblVersion_->setGeometry(16, 232, 243, 19);
  QFont font(QStringLiteral("Arial"), 12, QFont::Bold);
  lblVersion_->setFont(font);
  QPalette palette = lblVersion_->palette();
  palette.setColor(QPalette::WindowText, QColor(128, 64, 0));
  lblVersion_->setPalette(palette);

  Form_Load();
}

QString frmSplash::VersionText() { return QStringLiteral("Version ") + VersionInfo::Numbers(); }

void frmSplash::Form_Load() { lblVersion_->setText(VersionText()); }

void frmSplash::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (QScreen* s = screen()) {
    QRect frame = geometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
  }
}
