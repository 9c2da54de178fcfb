#include "shell/frmWeb.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdlib>

#include "board/Globals.h"
#include "shell/BrowserModule.h"
#include "shell/Icon.h"
#include "shell/Twips.h"
#include "shell/VersionInfo.h"

frmWeb::frmWeb(QStringList modulePaths, QWidget* parent)
    : QWidget(parent, Qt::Window),
      modulePaths_(modulePaths.isEmpty() ? BrowserModulePaths(QCoreApplication::applicationDirPath())
                                         : std::move(modulePaths)) {
  setObjectName(QStringLiteral("frmWeb"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QStringLiteral("Update"));
  QIcon icon;
  for (int size : {16, 32}) icon.addPixmap(GameIconPicture(size));
  setWindowIcon(icon);
  resize(TwipsToPixels(8310), TwipsToPixels(6105));

  lblVersion_ = new QLabel(QStringLiteral("Label1"), this);
  lblVersion_->setObjectName(QStringLiteral("lblVersion"));
  lblVersion_->setGeometry(TwipsRect(0, 0, 4650, 570));
  lblVersion_->setTextFormat(Qt::PlainText);
  lblVersion_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblVersion_->setWordWrap(true);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(9.75);
  lblVersion_->setFont(font);

  web_ = new QWidget(this);
  web_->setObjectName(QStringLiteral("Web"));
  web_->setGeometry(TwipsRect(0, 600, 4650, 2760));
  auto* layout = new QVBoxLayout(web_);
  layout->setContentsMargins(0, 0, 0, 0);

  Form_Load();
}

// Making the browser is the load's first step, so a browser module that cannot
// be loaded is reported like any other failed step, and the window opens all
// the same.
void frmWeb::Form_Load() {
  QString lastError;

  QString reason;
  browser_ = CreateBrowser(web_, modulePaths_, &reason);
  if (browser_)
    web_->layout()->addWidget(browser_);
  else
    lastError = reason;

  const QString title = QString::fromUtf8(kAppTitle);
  setWindowTitle(title + QStringLiteral(" Homepage"));
  lblVersion_->setText(QStringLiteral("   [Your current Version: ") + VersionInfo::Numbers() + QStringLiteral("]") +
                       QStringLiteral("   Close ") + title +
                       QStringLiteral(" down before attempting to replace the program file with that contained "
                                      "within the Update"));

  if (!lastError.isEmpty()) {
    QMessageBox box(QMessageBox::NoIcon, title, QStringLiteral("Error :") + lastError, QMessageBox::Ok);
    box.exec();
  }
}

void frmWeb::SetNavigate(QString vNewValue) {
  strNavigate = std::move(vNewValue);
  if (browser_) browser_->setProperty("url", QUrl::fromUserInput(strNavigate));
}

void frmWeb::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

// W and H are the client area's, so the browser fills the window below the
// label; a window lower than the label still gives it a height of its own.
void frmWeb::Form_Resize() {
  const int W = width();
  const int H = height();
  web_->setGeometry(web_->x(), web_->y(), W, std::abs(H - lblVersion_->height()));
  lblVersion_->resize(W, lblVersion_->height());
}
