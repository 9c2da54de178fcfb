#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "BoardWindowRig.h"
#include "board/ui/KeyCodes.h"
#include "shell/frmSplash.h"

namespace {

// Keys go where a player's keyboard sends them: to the window, which hands
// them to its focus widget or the open menu. Nothing here sets a focus.
void Press(QWidget& w, Qt::Key key) { QTest::keyClick(w.windowHandle(), key); }

std::vector<int> Codes(const RecordingBoard& w) {
  std::vector<int> out;
  for (const auto& [code, shift] : w.keys)
    if (code != 18) out.push_back(code);  // Alt itself is reported too; not the point here
  return out;
}

QStringList Captions(const QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

TEST(BoardWindow, MenusHaveTheirItemsAndTheGameOwnsTheChecks) {
  WindowRig rig;
  frmBoard& w = rig.w();

  QStringList titles;
  for (QAction* a : w.menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles, (QStringList{"Game", "Options", "Help"}));

  EXPECT_EQ(Captions(w.mnuG()),
            (QStringList{"Start New Solo Game", "-", "Network Game", "Send Text Message", "-", "Exit"}));
  EXPECT_EQ(Captions(w.mnuO()), (QStringList{"Sound", "First Move Artillery Free"}));
  EXPECT_EQ(Captions(w.mnuH()), (QStringList{"HomePage", "About"}));

  // The indexed arrays are the menus' own items, separators included.
  for (int i = 0; i < 6; ++i) EXPECT_EQ(w.mnuGame(i), w.mnuG()->actions().at(i)) << i;
  EXPECT_TRUE(w.mnuGame(1)->isSeparator());
  EXPECT_TRUE(w.mnuGame(4)->isSeparator());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(w.mnuOpt(i), w.mnuO()->actions().at(i));
    EXPECT_EQ(w.mnuHelp(i), w.mnuH()->actions().at(i));
  }

  // No shortcut keys and no mnemonics anywhere.
  for (QMenu* m : {w.mnuG(), w.mnuO(), w.mnuH()}) {
    EXPECT_FALSE(m->title().contains('&'));
    for (QAction* a : m->actions()) {
      EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
      EXPECT_FALSE(a->text().contains('&')) << a->text().toStdString();
    }
  }

  EXPECT_TRUE(w.mnuOpt(0)->isCheckable());
  EXPECT_TRUE(w.mnuOpt(1)->isCheckable());
  EXPECT_TRUE(w.OptChecked(0));
  EXPECT_FALSE(w.OptChecked(1));
  EXPECT_TRUE(w.OptEnabled(0));
  EXPECT_TRUE(w.OptEnabled(1));

  // A click flips the mark once: the game toggles it, not Qt as well.
  w.mnuOpt(0)->trigger();
  EXPECT_FALSE(w.OptChecked(0));
  EXPECT_FALSE(w.mnuOpt(0)->isChecked());
  w.mnuOpt(0)->trigger();
  EXPECT_TRUE(w.OptChecked(0));
  w.mnuOpt(1)->trigger();
  EXPECT_TRUE(w.OptChecked(1));
  EXPECT_TRUE(w.OptChecked(0));

  // The game switches the option off during network games; the menu follows.
  w.SetOptEnabled(1, false);
  EXPECT_FALSE(w.mnuOpt(1)->isEnabled());
  EXPECT_FALSE(w.OptEnabled(1));
}

// The menu bar's overflow button gets its icon through our own reading of the
// style's pictures (Qt's would load every image plugin); it must be the same icon.
TEST(BoardWindow, MenuBarOverflowButtonHasTheStyleIcon) {
  WindowRig rig;
  auto* button = rig.w().menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
  ASSERT_NE(button, nullptr);
  auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
  ASSERT_NE(proxy, nullptr);
  std::unique_ptr<QStyle> stock(QStyleFactory::create(proxy->baseStyle()->name()));
  ASSERT_NE(stock, nullptr);
  const QIcon expected = stock->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
  const QIcon icon = button->icon();
  ASSERT_FALSE(expected.availableSizes().isEmpty());
  EXPECT_EQ(icon.availableSizes(), expected.availableSizes());
  for (const QSize& size : expected.availableSizes())
    EXPECT_EQ(icon.pixmap(size).toImage(), expected.pixmap(size).toImage()) << size.width();
}

TEST(BoardWindow, WindowHasFixedBorderAndExactClientLayout) {
  WindowRig rig;
  frmBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());

  EXPECT_EQ(w.windowTitle(), "Dravenholt");
  EXPECT_FALSE(w.windowIcon().isNull());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_EQ(w.Timing()->interval(), 500);

  const int menuHeight = w.menuBar()->height();
  EXPECT_EQ(w.width(), 604);
  EXPECT_EQ(w.height() - menuHeight, 622);

  const QPoint boardAt = w.Picture1()->mapTo(&w, QPoint(0, 0));
  EXPECT_EQ(boardAt, QPoint(0, menuHeight));
  EXPECT_EQ(w.Picture1()->size(), QSize(604, 604));
  EXPECT_EQ(w.BoardPicture()->geometry(), QRect(0, 0, 600, 600));
  EXPECT_EQ(w.touchpad()->geometry(), QRect(0, 0, 604, 604));

  QStatusBar* bar = w.StatusBar();
  EXPECT_EQ(w.statusBar(), bar);
  EXPECT_EQ(bar->geometry(), QRect(0, menuHeight + 605, 604, 17));
  EXPECT_FALSE(bar->isSizeGripEnabled());
  const int widths[] = {0, 386, 107, 107};
  const int lefts[] = {0, 0, 386, 493};
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(w.Panel(i)->parentWidget(), bar);
    EXPECT_EQ(w.Panel(i)->geometry(), QRect(lefts[i], 0, widths[i], 17)) << i;
  }
}

TEST(BoardWindow, TemplatesAndRunTimePicturesCarryTheirPictures) {
  WindowRig rig;
  frmBoard& w = rig.w();
  const QSize sizes[] = {{},       {36, 58}, {36, 58}, {36, 58}, {36, 58}, {36, 58}, {36, 58}, {45, 58},
                         {58, 58}, {58, 58}, {58, 53}, {58, 47}, {38, 58}, {46, 58}, {58, 58}};
  for (int i = 1; i <= 14; ++i) {
    ASSERT_NE(w.Imag(i), nullptr) << i;
    EXPECT_EQ(w.Imag(i)->size(), sizes[i]) << i;
    EXPECT_EQ(w.Imag(i)->pixmap().size(), sizes[i]) << i;
    EXPECT_TRUE(w.Imag(i)->isHidden()) << i;
  }
  EXPECT_EQ(w.Imag(15), nullptr);

  w.Load();
  w.show();

  // Which template each of Imag(15..59) is made from.
  auto templateOf = [](int i) {
    if (i >= 47) return 14;
    if (i <= 20) return i - 14;
    if (i <= 25) return 7;
    if (i <= 27) return 8;
    if (i <= 30) return i - 19;
    if (i <= 36) return 12;
    if (i <= 41) return 13;
    if (i <= 43) return 8;
    return i - 35;
  };
  for (int i = 1; i <= 59; ++i) {
    ASSERT_NE(w.Imag(i), nullptr) << i;
    EXPECT_FALSE(w.Imag(i)->isVisible()) << i;
    if (i >= 15) {
      const int t = templateOf(i);
      EXPECT_EQ(w.Imag(i)->pixmap().cacheKey(), w.Imag(t)->pixmap().cacheKey()) << i << " from " << t;
      EXPECT_EQ(w.Imag(i)->size(), sizes[t]) << i;
    }
  }
  // The unit and blast tables point at those pictures.
  EXPECT_EQ(w.board().UnitSprite[1][1], 15);
  EXPECT_EQ(w.board().UnitSprite[2][16], 46);
  EXPECT_EQ(w.board().BlastSprite[13], 59);

  // Side 1's tanks wear their own badges; side 2's are alike.
  for (int a = 1; a <= 6; ++a)
    for (int b = a + 1; b <= 6; ++b)
      EXPECT_NE(w.Imag(14 + a)->pixmap().toImage(), w.Imag(14 + b)->pixmap().toImage()) << a << " vs " << b;
  for (int u = 2; u <= 6; ++u) EXPECT_EQ(w.Imag(30 + u)->pixmap().cacheKey(), w.Imag(31)->pixmap().cacheKey());
}

TEST(BoardWindow, UnitsAndBlastsSitOnTheirSquaresUnderTheClickSurface) {
  WindowRig rig;
  frmBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());
  Board& b = w.board();

  b.ShowUnit("1", 1, 3, 7);  // Left 1818, Top 5414 twips
  EXPECT_TRUE(w.Imag(15)->isVisible());
  EXPECT_EQ(w.Imag(15)->geometry(), QRect(121, 361, 36, 58));
  b.ShowUnit("1", 16, 10, 10);
  EXPECT_EQ(w.Imag(30)->pos(), QPoint(541, 541));
  b.ShowUnit("1", 14, 1, 1);
  EXPECT_EQ(w.Imag(28)->pos(), QPoint(1, 1));

  // The opponent's mines are recorded but stay hidden.
  b.ShowUnit("2", 12, 4, 3);
  EXPECT_FALSE(w.Imag(42)->isVisible());

  b.ShowBlast(1, 3, 7);
  EXPECT_TRUE(w.Imag(47)->isVisible());
  EXPECT_EQ(w.Imag(47)->pos(), QPoint(121, 361));

  // Stacking: board picture, units, blasts, and the click surface over all.
  const QObjectList& stack = w.Picture1()->children();
  const auto z = [&](QObject* o) { return stack.indexOf(o); };
  EXPECT_LT(z(w.BoardPicture()), z(w.Imag(15)));
  for (int unit = 15; unit <= 46; ++unit) EXPECT_LT(z(w.Imag(unit)), z(w.Imag(47))) << unit;
  for (int i = 1; i <= 59; ++i) EXPECT_LT(z(w.Imag(i)), z(w.touchpad())) << i;
  EXPECT_EQ(w.Picture1()->childAt(130, 380), w.touchpad());

  b.ShowUnit("1", 1, 0, 0);
  b.HideAllBlasts();
  EXPECT_FALSE(w.Imag(15)->isVisible());
  EXPECT_FALSE(w.Imag(47)->isVisible());
}

TEST(BoardWindow, ClickSurfaceReportsReleasesInTwips) {
  WindowRig rig;
  frmBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());

  struct Up {
    int button, shift;
    float x, y;
  };
  std::vector<Up> ups;
  QObject::connect(w.touchpad(), &Touchpad::MouseUp, [&](int16_t button, int16_t shift, float x, float y) {
    ups.push_back({button, shift, x, y});
  });

  QTest::mousePress(w.touchpad(), Qt::LeftButton, {}, QPoint(130, 370));
  EXPECT_TRUE(ups.empty()) << "nothing happens on press";
  QTest::mouseRelease(w.touchpad(), Qt::LeftButton, {}, QPoint(130, 370));
  QTest::mouseClick(w.touchpad(), Qt::RightButton, Qt::ShiftModifier, QPoint(603, 0));
  QTest::mouseClick(w.touchpad(), Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier, QPoint(0, 599));

  ASSERT_EQ(ups.size(), 3u);
  EXPECT_EQ(ups[0].button, 1);
  EXPECT_EQ(ups[0].shift, 0);
  EXPECT_EQ(ups[0].x, 1950.0f);
  EXPECT_EQ(ups[0].y, 5550.0f);
  EXPECT_EQ(ups[1].button, 2);
  EXPECT_EQ(ups[1].shift, 1);
  EXPECT_EQ(ups[1].x, 9045.0f);  // the last columns of the surface lie beyond square 10
  EXPECT_EQ(ups[1].y, 0.0f);
  EXPECT_EQ(ups[2].button, 4);
  EXPECT_EQ(ups[2].shift, 6);
  EXPECT_EQ(ups[2].y, 8985.0f);
}

TEST(BoardWindow, EveryKeyDownReachesTheGame) {
  WindowRig rig;
  RecordingBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QWidget* focus = QApplication::focusWidget();

  Press(w, Qt::Key_Up);
  Press(w, Qt::Key_Q);
  Press(w, Qt::Key_Escape);
  QTest::keyClick(w.windowHandle(), Qt::Key_Left, Qt::ShiftModifier);
  Press(w, Qt::Key_Tab);
  Press(w, Qt::Key_Right);
  QTest::simulateEvent(w.windowHandle(), true, Qt::Key_Down, Qt::NoModifier, QString(), false);
  QTest::simulateEvent(w.windowHandle(), true, Qt::Key_Down, Qt::NoModifier, QString(), true);
  QTest::keyRelease(w.windowHandle(), Qt::Key_Down);
  Press(w, Qt::Key_7);
  Press(w, Qt::Key_PageDown);

  // Shift is a key of its own (16) before Shift+Left; auto-repeat counts.
  const std::vector<std::pair<int, int>> expected = {{38, 0}, {81, 0}, {27, 0}, {16, 1}, {37, 1}, {9, 0},
                                                     {39, 0}, {40, 0}, {40, 0}, {55, 0}, {34, 0}};
  EXPECT_EQ(w.keys, expected);
  // The game took the keys; Tab and the arrows moved no focus.
  EXPECT_EQ(QApplication::focusWidget(), focus);

  // An open menu keeps its own keys for navigation.
  w.keys.clear();
  w.mnuG()->popup(w.mapToGlobal(QPoint(0, 0)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.mnuG()));
  Press(w, Qt::Key_Down);
  EXPECT_EQ(w.mnuG()->activeAction(), w.mnuGame(0));
  Press(w, Qt::Key_Down);
  EXPECT_EQ(w.mnuG()->activeAction(), w.mnuGame(2));
  w.mnuG()->hide();
  EXPECT_TRUE(w.keys.empty());

  // Keys of other windows are not the board's.
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_Up);
  EXPECT_TRUE(w.keys.empty());
}

TEST(BoardWindow, KeysReachTheGameOnceTheMenuBarLetsGo) {
  WindowRig rig;
  RecordingBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QMenuBar* bar = w.menuBar();

  // Alt, Alt: the menu bar highlights, then lets go.
  Press(w, Qt::Key_Alt);
  EXPECT_NE(bar->activeAction(), nullptr);
  Press(w, Qt::Key_Alt);
  EXPECT_EQ(bar->activeAction(), nullptr);
  Press(w, Qt::Key_Escape);
  Press(w, Qt::Key_Up);
  EXPECT_EQ(Codes(w), (std::vector<int>{27, 38}));

  // Alt then Esc lets go too, and the Esc is the menu bar's, not the game's.
  w.keys.clear();
  Press(w, Qt::Key_Alt);
  Press(w, Qt::Key_Escape);
  EXPECT_EQ(bar->activeAction(), nullptr);
  Press(w, Qt::Key_Escape);
  EXPECT_EQ(Codes(w), (std::vector<int>{27}));

  // Options opened by mouse and closed with Esc: the bar stays highlighted and
  // walks the menus with the arrows, until a click on the board.
  w.keys.clear();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(w.mnuO()->menuAction()).center());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.mnuO()));
  Press(w, Qt::Key_Escape);
  EXPECT_FALSE(w.mnuO()->isVisible());
  Press(w, Qt::Key_Left);
  EXPECT_EQ(bar->activeAction(), w.mnuG()->menuAction());
  EXPECT_TRUE(Codes(w).empty());
  QTest::mouseClick(w.touchpad(), Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(bar->activeAction(), nullptr);
  Press(w, Qt::Key_Up);
  Press(w, Qt::Key_Escape);
  EXPECT_EQ(Codes(w), (std::vector<int>{38, 27}));

  // A click on the bar's empty end opens nothing and keeps no keys.
  w.keys.clear();
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 5, bar->height() / 2));
  Press(w, Qt::Key_Up);
  EXPECT_EQ(Codes(w), (std::vector<int>{38}));

  // A menu item chosen from the keyboard hands the keys back as well.
  w.keys.clear();
  Press(w, Qt::Key_Alt);
  Press(w, Qt::Key_Right);  // Options
  Press(w, Qt::Key_Down);   // opens it
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.mnuO()));
  EXPECT_EQ(w.mnuO()->activeAction(), w.mnuOpt(0));
  Press(w, Qt::Key_Down);  // First Move Artillery Free
  Press(w, Qt::Key_Return);
  EXPECT_TRUE(w.mnuOpt(1)->isChecked());
  Press(w, Qt::Key_Down);
  EXPECT_EQ(Codes(w), (std::vector<int>{40}));
}

TEST(BoardWindow, KeyCodesAreTheWindowsOnes) {
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const std::pair<int, int> plain[] = {{Qt::Key_Escape, 27}, {Qt::Key_Left, 37}, {Qt::Key_Up, 38},
                                       {Qt::Key_Right, 39},  {Qt::Key_Down, 40}, {Qt::Key_A, 65},
                                       {Qt::Key_Z, 90},      {Qt::Key_0, 48},    {Qt::Key_9, 57},
                                       {Qt::Key_Space, 32},  {Qt::Key_Home, 36}, {Qt::Key_F12, 123}};
  for (auto [qt, vk] : plain) EXPECT_EQ(WindowsKeyCode(qt, none), vk) << qt;
  EXPECT_EQ(WindowsKeyCode(Qt::Key_Q, Qt::ShiftModifier), 81);
  EXPECT_EQ(WindowsKeyCode(Qt::Key_Exclam, Qt::ShiftModifier), 49);  // Shift+1 is still key 1
  // The number pad has codes of its own, but its arrows are arrows.
  EXPECT_EQ(WindowsKeyCode(Qt::Key_5, Qt::KeypadModifier), 101);
  EXPECT_EQ(WindowsKeyCode(Qt::Key_Up, Qt::KeypadModifier), 38);
  EXPECT_EQ(WindowsKeyCode(Qt::Key_VolumeUp, none), 0);
  EXPECT_EQ(WindowsShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
  EXPECT_EQ(WindowsShiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
}

TEST(BoardWindow, StartUpShowsThePaintedSplashWhileTheCuesPlay) {
  WindowRig rig;
  frmBoard& w = rig.w();

  // Counts paints of any splash window from the outside.
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Paint && qobject_cast<frmSplash*>(o)) ++paints;
      return false;
    }
  } counter;
  qApp->installEventFilter(&counter);

  struct Seen {
    std::string cue;
    bool splashVisible;
    int paints;
  };
  std::vector<Seen> seen;
  rig.sound.onPlay = [&](const std::string& cue) {
    frmSplash* s = w.Splash();
    seen.push_back({cue, s && s->isVisible(), counter.paints});
  };

  w.Load();
  qApp->removeEventFilter(&counter);

  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].cue, "TankFires");
  EXPECT_TRUE(seen[0].splashVisible);
  EXPECT_GT(seen[0].paints, 0) << "the splash is on the screen before the first cue";
  EXPECT_EQ(seen[1].cue.substr(0, 8), "Incoming");
  EXPECT_EQ(seen[1].cue.size(), 9u);
  EXPECT_TRUE(seen[1].splashVisible);
  EXPECT_EQ(seen[2].cue, "Artillery");
  EXPECT_TRUE(seen[2].splashVisible);

  EXPECT_EQ(w.Splash(), nullptr);
  for (QWidget* top : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<frmSplash*>(top), nullptr);

  // Idle after start-up: nothing shown, options at their defaults, timer off.
  EXPECT_EQ(w.board().GamePhase, PhaseIdle);
  EXPECT_EQ(w.board().GameMode, ModeNone);
  EXPECT_FALSE(w.Timing()->isActive());
  EXPECT_EQ(w.PanelText(2), "");
}

TEST(BoardWindow, CloseBoxAndExitResetTheGameAndEndTheProgram) {
  WindowRig rig;
  frmBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());
  Board& b = w.board();
  b.GameMode = ModeSolo;
  b.GamePhase = PhasePlaceTanks;
  b.ShowUnit("1", 14, 2, 8);
  b.TotalMoves[1] = 4;
  w.SetTimingEnabled(true);

  EXPECT_TRUE(w.close());
  EXPECT_EQ(rig.endCalls, 1);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(b.GamePhase, PhaseIdle);
  EXPECT_EQ(b.GameMode, ModeNone);
  EXPECT_EQ(b.UnitPos[1][14][1], 0);
  EXPECT_FALSE(w.Imag(28)->isVisible());
  EXPECT_EQ(b.TotalMoves[1], 6);
  EXPECT_FALSE(w.Timing()->isActive());

  // Game > Exit takes the same way out.
  b.GamePhase = PhaseSelectTank;
  w.mnuGame(5)->trigger();
  EXPECT_EQ(w.PanelText(1), "Exiting");
  EXPECT_EQ(rig.endCalls, 2);
  EXPECT_EQ(b.GamePhase, PhaseIdle);
}

// Acts on the modal box once it is up, as the player would.
void WhenModalOpens(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

TEST(BoardWindow, MessageAndInputBoxesAnswerAsTheGameExpects) {
  WindowRig rig;
  frmBoard& w = rig.w();
  w.show();

  QString title, text;
  bool hasCancel = true;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenModalOpens([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    hasCancel = box->button(QMessageBox::Cancel) != nullptr;
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(w.MsgBox("You have Won", vbOKOnly, "Game Over"), vbOK);
  EXPECT_EQ(title, "Game Over");
  EXPECT_EQ(text, "You have Won");
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_FALSE(hasCancel);

  WhenModalOpens([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    icon = box->icon();
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_EQ(w.MsgBox("Really?", vbOKCancel + vbExclamation, ""), vbCancel);
  EXPECT_EQ(title, "Dravenholt");
  EXPECT_EQ(icon, QMessageBox::Warning);

  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    text = dialog->labelText();
    dialog->setTextValue(QStringLiteral("Héllo there"));
    dialog->accept();
  });
  EXPECT_EQ(w.InputBox("Enter Message", "Send Text", 0), "Héllo there");
  EXPECT_EQ(text, "Enter Message");

  WhenModalOpens([](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->setTextValue(QStringLiteral("never sent"));
    dialog->reject();
  });
  EXPECT_EQ(w.InputBox("Enter Message", "Send Text", 0), "");

  // A limit in bytes of UTF-8: a paste is cut to fit, never inside a
  // character, and typing at the limit does nothing.
  WhenModalOpens([](QWidget* modal) {
    auto* field = modal->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    field->insert(QStringLiteral("a\u2713\u2713"));  // 1 + 3 + 3 bytes
    EXPECT_EQ(field->text(), QStringLiteral("a\u2713"));
    QTest::keyClicks(field, "b");
    field->insert(QStringLiteral("\U0001F600"));  // 4 bytes, two UTF-16 units
    EXPECT_EQ(field->text(), QStringLiteral("a\u2713b"));
    field->setCursorPosition(0);
    field->insert(QStringLiteral("xyz"));
    EXPECT_EQ(field->text(), QStringLiteral("xa\u2713b"));
    qobject_cast<QInputDialog*>(modal)->accept();
  });
  EXPECT_EQ(w.InputBox("Enter Message", "Send Text", 6), "xa\u2713b");
}

}  // namespace
