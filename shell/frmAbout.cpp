#include "shell/frmAbout.h"

#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "board/Globals.h"
#include "platform/Desktop.h"
#include "shell/Icon.h"
#include "shell/Twips.h"
#include "shell/VersionInfo.h"

namespace {

// The access GetKeyValue asks for: read, write, create, list, notify, link and read-control.
constexpr uint32_t kKeyAllAccess = 0x2003F;
constexpr int kBufferChars = 1024;
constexpr auto kUnavailable = "System Information Is Unavailable At This Time";

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void SetTextColour(QWidget* w, QColor colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

// Trims blanks only, not tabs or line ends.
QString TrimBlanks(const QString& s) {
  qsizetype start = 0, end = s.size();
  while (start < end && s.at(start) == u' ') ++start;
  while (end > start && s.at(end - 1) == u' ') --end;
  return s.mid(start, end - start);
}

}  // namespace

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Click();
}

frmAbout::frmAbout(AboutServices services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      services_(std::move(services)) {
  if (!services_.registry) {
    // Start-up of the box: the registry learns what this desktop has.
    services_.registry = &reg::Registry::Local();
    AnswerSystemInfoKey(*services_.registry, FindSystemInfoProgram());
  }
  if (!services_.launch) services_.launch = LaunchProgram;
  if (!services_.openLink) services_.openLink = OpenLink;

  // A dialog window is transient for the application, so taskbars leave it out.
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QStringLiteral("About MyApp"));
  QFont formFont(QStringLiteral("MS Sans Serif"));
  formFont.setPointSizeF(8.25);
  setFont(formFont);
  setFixedSize(TwipsToPixels(5730), TwipsToPixels(3555));

  const QPixmap icon = GameIconPicture(32);
  setWindowIcon(QIcon(icon));
  picIcon_ = MakeLabel(this, "picIcon", TwipsRect(240, 270, 540, 540), {});
  picIcon_->setPixmap(icon);

  lblTitle_ = MakeLabel(this, "lblTitle", TwipsRect(1035, 270, 3885, 375), QStringLiteral("Application Title"));
  QFont titleFont(QStringLiteral("Comic Sans MS"));
  titleFont.setPointSizeF(14.25);
  titleFont.setBold(true);
  lblTitle_->setFont(titleFont);
  SetTextColour(lblTitle_, Qt::black);

  lblVersion_ = MakeLabel(this, "lblVersion", TwipsRect(1035, 660, 3885, 225), QStringLiteral("Version"));
  lblQORV_ = MakeLabel(this, "lblQORV", TwipsRect(1035, 885, 3885, 225), QStringLiteral("Version"));
  lblDescription_ =
      MakeLabel(this, "lblDescription", TwipsRect(1035, 1110, 3885, 390), QStringLiteral("App Description"));
  lblDescription_->setWordWrap(true);
  SetTextColour(lblDescription_, Qt::black);

  const char* links[] = {VersionInfo::MakerWebAddress, VersionInfo::MakerMailAddress};
  for (int i = 0; i < 2; ++i) {
    auto* link = new LinkLabel(QString::fromUtf8(links[i]), this);
    link->setObjectName(QStringLiteral("lblLink%1").arg(i));
    link->setGeometry(TwipsRect(1035, 1650 + 270 * i, 3255, 285));
    link->setTextFormat(Qt::PlainText);
    link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont linkFont(QStringLiteral("MS Sans Serif"));
    linkFont.setPointSizeF(8.25);
    linkFont.setUnderline(true);
    link->setFont(linkFont);
    SetTextColour(link, QColor(0, 0, 255));
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &LinkLabel::Click, this, [this, i] { lblLink_Click(static_cast<int16_t>(i)); });
    lblLink_[static_cast<size_t>(i)] = link;
  }

  lblDisclaimer_ = MakeLabel(this, "lblDisclaimer", TwipsRect(270, 2625, 3870, 825), QStringLiteral("Warning: ..."));
  lblDisclaimer_->setWordWrap(true);
  SetTextColour(lblDisclaimer_, Qt::black);

  cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setGeometry(TwipsRect(4245, 2625, 1260, 345));
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

  cmdSysInfo_ = new QPushButton(QStringLiteral("&System Info..."), this);
  cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
  cmdSysInfo_->setGeometry(TwipsRect(4260, 3075, 1245, 345));
  connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

  setTabOrder(cmdOK_, cmdSysInfo_);
  cmdOK_->setFocus();

  Form_Load();
}

QString frmAbout::TrademarkLine(const QString& trademark, const QString& copyright) {
  return TrimBlanks(trademark + QStringLiteral("       ") + copyright);
}

void frmAbout::Form_Load() {
  setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(kAppTitle));
  lblVersion_->setText(QStringLiteral("Version ") + VersionInfo::Numbers());
  lblTitle_->setText(QString::fromUtf8(kAppTitle));
  lblDescription_->setText(QString::fromUtf8(VersionInfo::FileDescription));
  lblDisclaimer_->setText(QStringLiteral("Use this software at your own risk."));
  lblQORV_->setText(
      TrademarkLine(QString::fromUtf8(VersionInfo::LegalTrademarks), QString::fromUtf8(VersionInfo::LegalCopyright)));
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

// Whatever becomes of the address is the desktop's business: nothing is reported.
void frmAbout::lblLink_Click(int16_t Index) {
  if (Index < 0 || Index > 1) return;
  services_.openLink(lblLink_[static_cast<size_t>(Index)]->text());
}

void frmAbout::StartSysInfo() {
  reg::HKEY root = reg::HKEY_LOCAL_MACHINE;
  QString key = QString::fromLatin1(kSysInfoKey);
  QString value = QString::fromLatin1(kSysInfoValue);
  QString SysInfoPath;
  bool started = false;
  if (GetKeyValue(root, key, value, SysInfoPath)) {
    // The first way names the program itself: launched as it is, unchecked.
    started = services_.launch(SysInfoPath);
  } else {
    key = QString::fromLatin1(kSysInfoLocationKey);
    value = QString::fromLatin1(kSysInfoLocationValue);
    if (GetKeyValue(root, key, value, SysInfoPath)) {
      // The second way names a folder, joined to the program's name with a
      // backslash as the key's writers expect; only this way checks the file.
      const QString program = SysInfoPath + QStringLiteral("\\MSINFO32.EXE");
      if (QFileInfo(program).isFile()) started = services_.launch(program);
    }
  }
  if (started) return;
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromLatin1(kUnavailable), QMessageBox::Ok,
                  this);
  box.exec();
}

bool frmAbout::GetKeyValue(reg::HKEY& KeyRoot, QString& KeyName, QString& SubKeyRef, QString& KeyVal) {
  reg::Registry& registry = *services_.registry;
  reg::HKEY hKey = 0;
  if (registry.OpenKeyEx(KeyRoot, KeyName.toStdString(), 0, kKeyAllAccess, &hKey) != reg::ERROR_SUCCESS) {
    KeyVal.clear();
    registry.CloseKey(hKey);
    return false;
  }

  std::string tmpVal(kBufferChars, '\0');
  uint32_t KeyValType = 0;
  uint32_t KeyValSize = kBufferChars;
  if (registry.QueryValueEx(hKey, SubKeyRef.toStdString(), &KeyValType, tmpVal.data(), &KeyValSize) !=
      reg::ERROR_SUCCESS) {
    KeyVal.clear();
    registry.CloseKey(hKey);
    return false;
  }

  // A NUL at the last position read ends a text value: it is dropped.
  const size_t n = KeyValSize;
  tmpVal.resize(n > 0 && tmpVal[n - 1] == '\0' ? n - 1 : n);

  switch (KeyValType) {
    case reg::REG_SZ:
      KeyVal = QString::fromStdString(tmpVal);
      break;
    case reg::REG_DWORD: {
      uint32_t number = 0;
      for (size_t i = 0; i < tmpVal.size() && i < 4; ++i)
        number |= static_cast<uint32_t>(static_cast<unsigned char>(tmpVal[i])) << (8 * i);
      KeyVal = QStringLiteral("&h") + QString::number(number, 16).toUpper();
      break;
    }
    default:  // other types leave KeyVal as it was
      break;
  }
  registry.CloseKey(hKey);
  return true;
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      cmdOK_->click();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      // A focused button other than OK takes Enter itself; OK takes it otherwise.
      auto* focused = qobject_cast<QPushButton*>(focusWidget());
      (focused && focused != cmdOK_ ? focused : cmdOK_)->click();
      return;
    }
    default:
      QWidget::keyPressEvent(event);
  }
}

// The etched separator: a grey line over a white one twice as thick.
void frmAbout::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  QPainter painter(this);
  const int grey = TwipsToPixels(2445), white = TwipsToPixels(2460), right = TwipsToPixels(5654);
  painter.fillRect(QRect(QPoint(TwipsToPixels(90), grey), QPoint(right, grey)), QColor(128, 128, 128));
  painter.fillRect(QRect(QPoint(TwipsToPixels(105), white), QPoint(right, white + 1)), Qt::white);
}

void frmAbout::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_) return;
  placed_ = true;
  if (QScreen* s = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
  }
}
