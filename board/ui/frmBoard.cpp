#include "board/ui/frmBoard.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QImageReader>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "board/ClockRandom.h"
#include "board/ui/KeyCodes.h"
#include "board/ui/Pictures.h"
#include "network/ui/MessageField.h"
#include "network/ui/NetworkWindows.h"
#include "platform/AlsaSound.h"
#include "shell/DataDir.h"
#include "shell/HelpWindows.h"
#include "shell/frmSplash.h"

namespace {

constexpr int kBoardPixels = 604;  // Picture1 and the click surface
constexpr int kBoardPicturePixels = 600;
constexpr int kStatusTop = 605;  // one pixel below the board
constexpr int kStatusHeight = 17;
constexpr int kPanelWidths[] = {0, 386, 107, 107};
constexpr int kTimingMs = 500;

struct Template {
  const char* picture;
  int width;
  int height;
};

// Imag(1..14): the design-time pictures the run-time ones are copied from.
constexpr Template kTemplates[] = {
    {"", 0, 0},        {"tank1", 36, 58}, {"tank2", 36, 58},     {"tank3", 36, 58},    {"tank4", 36, 58},
    {"tank5", 36, 58}, {"tank6", 36, 58}, {"gun", 45, 58},       {"mine", 58, 58},     {"hq", 58, 58},
    {"ammo", 58, 53},  {"fuel", 58, 47},  {"enemytank", 38, 58}, {"enemygun", 46, 58}, {"blast", 58, 58},
};
constexpr int kTemplateCount = 14;
constexpr int kBlastTemplate = 14;

int Pixels(int twips) { return static_cast<int>(std::lround(twips / static_cast<double>(kTwipsPerPixel))); }

QIcon RenderIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(RenderPicture(QStringLiteral("icon"), QSize(size, size)));
  return icon;
}

// The menu bar fetches the icon of its overflow button as it is made. The stock
// icon is read from Qt's PNGs without naming their format, so Qt loads every
// image-format plugin (SVG and its library among them) to sniff the files: ~1 ms
// at start-up. The same files read as PNG give the same icon.
class ExtensionIconStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option, const QWidget* widget) const override {
    if (standardIcon != SP_ToolBarHorizontalExtensionButton)
      return QProxyStyle::standardIcon(standardIcon, option, widget);
    const bool rtl = option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
    const QString name = rtl ? QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-h-rtl-%1.png")
                             : QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-h-%1.png");
    QIcon icon;
    for (int size : {8, 16, 32}) {
      // Told the format and not to guess, the reader uses Qt's own PNG decoder alone.
      QImageReader reader(name.arg(size), "png");
      reader.setAutoDetectImageFormat(false);
      const QImage image = reader.read();
      if (image.isNull()) return QProxyStyle::standardIcon(standardIcon, option, widget);
      icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
  }
};

// Only a stock style is wrapped, by a fresh copy of itself; any other is left alone.
void UseExtensionIconStyle() {
  QStyle* current = QApplication::style();
  if (dynamic_cast<ExtensionIconStyle*>(current)) return;
  if (QStyle* base = QStyleFactory::create(current->name())) QApplication::setStyle(new ExtensionIconStyle(base));
}

}  // namespace

Touchpad::Touchpad(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

// Taking the press keeps the release coming here, wherever the pointer ends up.
void Touchpad::mousePressEvent(QMouseEvent* event) { event->accept(); }

void Touchpad::mouseReleaseEvent(QMouseEvent* event) {
  int16_t button = 0;
  switch (event->button()) {
    case Qt::LeftButton:
      button = 1;
      break;
    case Qt::RightButton:
      button = 2;
      break;
    case Qt::MiddleButton:
      button = 4;
      break;
    default:
      break;
  }
  const QPointF p = event->position();
  const float x = static_cast<float>(std::floor(p.x()) * kTwipsPerPixel);
  const float y = static_cast<float>(std::floor(p.y()) * kTwipsPerPixel);
  event->accept();
  emit MouseUp(button, WindowsShiftState(event->modifiers()), x, y);
}

frmBoard::frmBoard(SoundPort* sound, RandomSource* random, QString appPath, std::function<void()> endProgram,
                   QWidget* parent)
    : QMainWindow(parent), endProgram_(std::move(endProgram)) {
  if (!sound) {
    ownSound_ = std::make_unique<AlsaSound>();
    sound = ownSound_.get();
  }
  if (!random) {
    ownRandom_ = std::make_unique<ClockRandom>();
    random = ownRandom_.get();
  }
  if (appPath.isEmpty()) appPath = GameDataDir(QCoreApplication::applicationDirPath());
  board_ = std::make_unique<Board>(*this, *sound, *random, QFile::encodeName(appPath).toStdString());

  // A fixed border: no maximise button and no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(kAppTitle));
  setWindowIcon(RenderIcon());

  // Qt reads the system's font configuration (~3 ms) the first time text is
  // measured, which the status bar does as it is made. On a desktop the menu
  // bar, as it is made, waits on the session bus for a global menu; the font
  // database (thread-safe) is filled meanwhile on another thread. Offscreen
  // there is no such wait and the thread would only add its own cost.
  std::thread fonts;
  try {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
      fonts = std::thread([] { QFontDatabase::isBitmapScalable(QString()); });  // any query fills it
  } catch (const std::system_error&) {
    // No thread to be had: the status bar fills the database itself.
  }
  UseExtensionIconStyle();
  BuildMenus();
  BuildBoard();
  if (fonts.joinable()) fonts.join();
  BuildStatusBar();
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  timing_ = new QTimer(this);
  timing_->setInterval(kTimingMs);
  connect(timing_, &QTimer::timeout, this, [this] { board_->Timing_Timer(); });

  // The window holds the keyboard itself. The menu bar hands it back when it
  // leaves its keyboard mode (after Alt, or a menu closed with Esc), and a
  // click on the board takes it back, which ends that mode. With no focus
  // widget the bar would keep the keys for the rest of the run.
  setFocusPolicy(Qt::ClickFocus);
  setFocus(Qt::OtherFocusReason);

  // Keys are watched application-wide so that they reach the game before any control.
  qApp->installEventFilter(this);
}

frmBoard::~frmBoard() {
  qApp->removeEventFilter(this);
  timing_->stop();
}

void frmBoard::BuildMenus() {
  QMenuBar* bar = menuBar();
  mnuG_ = bar->addMenu(QStringLiteral("Game"));
  mnuGame_[0] = mnuG_->addAction(QStringLiteral("Start New Solo Game"));
  mnuGame_[1] = mnuG_->addSeparator();
  mnuGame_[2] = mnuG_->addAction(QStringLiteral("Network Game"));
  mnuGame_[3] = mnuG_->addAction(QStringLiteral("Send Text Message"));
  mnuGame_[4] = mnuG_->addSeparator();
  mnuGame_[5] = mnuG_->addAction(QStringLiteral("Exit"));
  for (int i = 0; i < 6; ++i) {
    if (mnuGame_[i]->isSeparator()) continue;
    connect(mnuGame_[i], &QAction::triggered, this, [this, i] { board_->mnuGame_Click(static_cast<int16_t>(i)); });
  }

  mnuO_ = bar->addMenu(QStringLiteral("Options"));
  mnuOpt_[0] = mnuO_->addAction(QStringLiteral("Sound"));
  mnuOpt_[1] = mnuO_->addAction(QStringLiteral("First Move Artillery Free"));
  for (int i = 0; i < 2; ++i) {
    mnuOpt_[i]->setCheckable(true);
    // The game owns the check marks: undo Qt's own toggle before the game flips it.
    connect(mnuOpt_[i], &QAction::triggered, this, [this, i](bool checked) {
      mnuOpt_[i]->setChecked(!checked);
      board_->mnuOpt_Click(static_cast<int16_t>(i));
    });
  }
  mnuOpt_[0]->setChecked(true);

  mnuH_ = bar->addMenu(QStringLiteral("Help"));
  mnuHelp_[0] = mnuH_->addAction(QStringLiteral("HomePage"));
  mnuHelp_[1] = mnuH_->addAction(QStringLiteral("About"));
  for (int i = 0; i < 2; ++i)
    connect(mnuHelp_[i], &QAction::triggered, this, [this, i] { mnuHelp_Click(static_cast<int16_t>(i)); });
}

void frmBoard::mnuHelp_Click(int16_t Index) {
  if (!help_) help_ = std::make_unique<HelpWindows>();
  switch (Index) {
    case 0: {
      frmWeb& web = help_->Web();  // a window not yet loaded loads before it navigates
      web.SetNavigate(QString::fromUtf8(frmWeb::kHomePage));
      HelpWindows::ShowModeless(web);
      break;
    }
    case 1:
      HelpWindows::ShowModeless(help_->About());
      break;
    default:
      break;
  }
}

void frmBoard::BuildBoard() {
  auto* client = new QWidget(this);
  client->setFixedSize(kBoardPixels, kStatusTop);
  setCentralWidget(client);

  picture1_ = new QWidget(client);
  picture1_->setObjectName(QStringLiteral("Picture1"));
  picture1_->setGeometry(0, 0, kBoardPixels, kBoardPixels);

  boardPicture_ = new QLabel(picture1_);
  boardPicture_->setPixmap(RenderPicture(QStringLiteral("board"), QSize(kBoardPicturePixels, kBoardPicturePixels)));
  boardPicture_->setGeometry(0, 0, kBoardPicturePixels, kBoardPicturePixels);

  for (int i = 1; i <= kTemplateCount; ++i) {
    const Template& t = kTemplates[i];
    auto* label = new QLabel(picture1_);
    label->setPixmap(RenderPicture(QString::fromLatin1(t.picture), QSize(t.width, t.height)));
    label->setGeometry(0, 0, t.width, t.height);
    label->hide();
    imag_[static_cast<size_t>(i)] = label;
  }

  touchpad_ = new Touchpad(picture1_);
  touchpad_->setObjectName(QStringLiteral("touchpad"));
  touchpad_->setGeometry(0, 0, kBoardPixels, kBoardPixels);
  touchpad_->raise();
  connect(touchpad_, &Touchpad::MouseUp, this,
          [this](int16_t button, int16_t shift, float x, float y) { board_->touchpad_MouseUp(button, shift, x, y); });
}

void frmBoard::BuildStatusBar() {
  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QStringLiteral("StatusBar"));
  statusBar_->setSizeGripEnabled(false);
  // Panels sit edge to edge at fixed widths like the classic control's, which
  // QStatusBar's own spaced layout cannot do. A small condensed font keeps the
  // longest counters ("Tank 2 Moves left: 1") inside 107 x 17 px.
  QFont font = statusBar_->font();
  font.setPixelSize(12);
  font.setStretch(QFont::Condensed);
  statusBar_->setFont(font);
  int left = 0;
  for (int i = 1; i <= 3; ++i) {
    auto* panel = new QLabel(statusBar_);
    panel->setObjectName(QStringLiteral("Panel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(3);
    panel->setGeometry(left, 0, kPanelWidths[i], kStatusHeight);
    panel->setFixedSize(kPanelWidths[i], kStatusHeight);
    left += kPanelWidths[i];
    panels_[static_cast<size_t>(i)] = panel;
  }
  if (statusBar_->layout()) statusBar_->layout()->setSizeConstraint(QLayout::SetNoConstraint);
  statusBar_->setFixedSize(kBoardPixels, kStatusHeight);
  setStatusBar(statusBar_);
}

void frmBoard::Load() { board_->Form_Load(); }

QLabel* frmBoard::Imag(int index) const {
  if (index < 1 || index >= static_cast<int>(imag_.size())) return nullptr;
  return imag_[static_cast<size_t>(index)];
}

QLabel* frmBoard::ImagAt(int index) const {
  QLabel* label = Imag(index);
  if (!label) throw std::out_of_range("no picture Imag(" + std::to_string(index) + ")");
  return label;
}

void frmBoard::LoadImag(int index, int templ) {
  QLabel* source = ImagAt(templ);
  if (index <= kTemplateCount || index >= static_cast<int>(imag_.size()))
    throw std::out_of_range("Imag(" + std::to_string(index) + ") cannot be loaded");
  delete imag_[static_cast<size_t>(index)];
  auto* label = new QLabel(picture1_);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  label->setPixmap(source->pixmap());
  label->setGeometry(0, 0, source->width(), source->height());
  label->hide();
  if (templ == kBlastTemplate) {
    label->stackUnder(touchpad_);
    if (!lowestBlast_) lowestBlast_ = label;
  } else {
    label->stackUnder(lowestBlast_ ? static_cast<QWidget*>(lowestBlast_) : touchpad_);
  }
  imag_[static_cast<size_t>(index)] = label;
  paintedAt_[static_cast<size_t>(index)] = QRect();
}

void frmBoard::SetImagVisible(int index, bool visible) { ImagAt(index)->setVisible(visible); }

void frmBoard::MoveImag(int index, int leftTwips, int topTwips) {
  ImagAt(index)->move(Pixels(leftTwips), Pixels(topTwips));
}

void frmBoard::RefreshImag(int index) {
  QLabel* label = ImagAt(index);
  const QRect now = label->isHidden() ? QRect() : label->geometry();
  QRect& before = paintedAt_[static_cast<size_t>(index)];
  const QRect dirty = now.united(before);
  before = now;
  if (!dirty.isEmpty()) picture1_->repaint(dirty);
}

void frmBoard::SetPanelText(int panel, const std::string& text) { Panel(panel)->setText(QString::fromStdString(text)); }

std::string frmBoard::PanelText(int panel) const { return Panel(panel)->text().toStdString(); }

void frmBoard::RefreshStatusBar() { statusBar_->repaint(); }

bool frmBoard::OptChecked(int index) const { return mnuOpt(index)->isChecked(); }

void frmBoard::SetOptChecked(int index, bool checked) { mnuOpt(index)->setChecked(checked); }

bool frmBoard::OptEnabled(int index) const { return mnuOpt(index)->isEnabled(); }

void frmBoard::SetOptEnabled(int index, bool enabled) { mnuOpt(index)->setEnabled(enabled); }

void frmBoard::SetTimingEnabled(bool on) {
  // Switching on a running timer leaves its rhythm alone.
  if (!on)
    timing_->stop();
  else if (!timing_->isActive())
    timing_->start();
}

void frmBoard::Beep() { QApplication::beep(); }

int frmBoard::MsgBox(const std::string& prompt, int buttons, const std::string& title) {
  const bool okCancel = (buttons & 0x0F) == vbOKCancel;
  const QMessageBox::Icon icon = (buttons & 0x70) == vbExclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
  QMessageBox box(icon, QString::fromStdString(title.empty() ? kAppTitle : title), QString::fromStdString(prompt),
                  okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, this);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  const int answer = box.exec();
  if (!okCancel) return vbOK;
  return answer == QMessageBox::Ok ? vbOK : vbCancel;
}

std::string frmBoard::InputBox(const std::string& prompt, const std::string& title, size_t maxBytes) {
  QInputDialog box(this);
  box.setWindowTitle(QString::fromStdString(title.empty() ? kAppTitle : title));
  box.setLabelText(QString::fromStdString(prompt));
  box.setInputMode(QInputDialog::TextInput);
  box.setTextValue(QString());
  if (maxBytes > 0)
    if (auto* field = box.findChild<QLineEdit*>()) LimitUtf8(field, maxBytes);
  return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : std::string();
}

void frmBoard::DoEvents() { QCoreApplication::processEvents(); }

void frmBoard::WaitForEvents() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void frmBoard::ShowSplash() {
  if (!splash_) splash_ = std::make_unique<frmSplash>();
  splash_->show();
  splash_->raise();
  // The start-up cues that follow hold this thread, so the splash must be on
  // the screen before we return: sleep on the event queue until the window
  // system has mapped it, or give up after a second.
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.start(1000);
  while (!(splash_->windowHandle() && splash_->windowHandle()->isExposed()) && deadline.isActive())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
  splash_->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmBoard::UnloadSplash() {
  if (!splash_) return;
  splash_->close();
  splash_.reset();
}

void frmBoard::SetSessionServiceFactory(SessionServiceFactory factory) {
  sessionFactory_ = std::move(factory);
  network_.reset();
}

NetworkWindows& frmBoard::Network() {
  if (!network_) network_ = std::make_unique<NetworkWindows>(*board_, *this, this, sessionFactory_);
  return *network_;
}

void frmBoard::ShowDeviceWindow() { Network().ShowDeviceWindow(); }

void frmBoard::EndProgram() {
  ending_ = true;
  timing_->stop();
  if (endProgram_) {
    endProgram_();
    return;
  }
  // No other window gets an unload: they are only hidden, and the loop ends.
  for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  QCoreApplication::exit(0);
}

void frmBoard::KeyDown(int16_t keyCode, int16_t shift) { board_->Form_KeyDown(keyCode, shift); }

bool frmBoard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  // Keys for other windows (an open menu, a message box) and for the menu bar's
  // own keyboard navigation are none of the game's business.
  if (!widget || widget->window() != this) return false;
  QMenuBar* bar = menuBar();
  if (widget == bar || bar->isAncestorOf(widget)) return false;

  auto* key = static_cast<QKeyEvent*>(event);
  if (IsModifierKey(key->key())) {
    // Passed on so the menu bar still opens with Alt; reported once, at the window.
    if (widget == this) {
      const int16_t code = WindowsKeyCode(key->key(), key->modifiers());
      if (code != 0) KeyDown(code, WindowsShiftState(key->modifiers()));
    }
    return false;
  }
  const int16_t code = WindowsKeyCode(key->key(), key->modifiers());
  if (code != 0) KeyDown(code, WindowsShiftState(key->modifiers()));
  // Taken here, so arrows and Tab never move focus about the window.
  return true;
}

void frmBoard::closeEvent(QCloseEvent* event) {
  if (ending_) {
    event->accept();
    return;
  }
  int16_t cancel = 0;
  board_->Form_Unload(cancel);
  if (cancel != 0 && !ending_)
    event->ignore();
  else
    event->accept();
}

void frmBoard::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (QScreen* s = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
  }
}
