// The About box: its texts, layout and keys, and the system-information look-up
// over a registry of the test's own, with the launcher and the link opener
// recorded instead of run.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/Desktop.h"
#include "shell/frmAbout.h"

using namespace reg;

namespace {

struct AboutRig {
  Registry registry;
  QStringList launched, opened;
  bool launchWorks = true;
  QStringList messages;  // "title|text" of each message box, answered with OK

  frmAbout* Make() {
    AboutServices services;
    services.registry = &registry;
    services.launch = [this](const QString& path) {
      launched << path;
      return launchWorks && !path.isEmpty();
    };
    services.openLink = [this](const QString& address) {
      opened << address;
      return false;
    };
    return new frmAbout(services);
  }
  // Every message box is answered, also one that should never have opened: a
  // test that meets one fails on what it saw instead of waiting for ever.
  QTimer answerer;
  AboutRig() {
    QObject::connect(&answerer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      messages << box->windowTitle() + "|" + box->text();
      box->button(QMessageBox::Ok)->click();
    });
    answerer.start(5);
  }
};

constexpr auto kUnavailable = "Dravenholt|System Information Is Unavailable At This Time";

TEST(AboutBox, ShowsItsTextsAtTheirPlaces) {
  AboutRig rig;
  QPointer<frmAbout> box = rig.Make();
  frmAbout& a = *box;
  EXPECT_EQ(a.windowTitle(), "About Dravenholt");
  EXPECT_EQ(a.lblVersion()->text(), "Version 3.0.4");
  EXPECT_EQ(a.lblTitle()->text(), "Dravenholt");
  EXPECT_EQ(a.lblDescription()->text(), "");
  EXPECT_EQ(a.lblDisclaimer()->text(), "Use this software at your own risk.");
  EXPECT_EQ(a.lblQORV()->text(), QString::fromUtf8("Dravenholt\u2122       \u00A9 2026 Dravenholt Works"));
  EXPECT_TRUE(a.lblLink(0)->text().startsWith("http://"));
  EXPECT_TRUE(a.lblLink(1)->text().startsWith("mailto:"));

  // A fixed dialog, without minimise or maximise, and 5730 x 3555 twips inside.
  EXPECT_EQ(a.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_FALSE(a.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(a.minimumSize(), QSize(382, 237));
  EXPECT_EQ(a.maximumSize(), QSize(382, 237));
  EXPECT_EQ(a.picIcon()->geometry(), QRect(16, 18, 36, 36));
  EXPECT_EQ(a.picIcon()->pixmap().size(), QSize(32, 32));
  EXPECT_EQ(a.lblTitle()->geometry(), QRect(69, 18, 259, 25));
  EXPECT_EQ(a.lblVersion()->geometry(), QRect(69, 44, 259, 15));
  EXPECT_EQ(a.lblQORV()->geometry(), QRect(69, 59, 259, 15));
  EXPECT_EQ(a.lblDescription()->geometry(), QRect(69, 74, 259, 26));
  EXPECT_EQ(a.lblLink(0)->geometry(), QRect(69, 110, 217, 19));
  EXPECT_EQ(a.lblLink(1)->geometry(), QRect(69, 128, 217, 19));
  EXPECT_EQ(a.lblDisclaimer()->geometry(), QRect(18, 175, 258, 55));
  EXPECT_EQ(a.cmdOK()->geometry(), QRect(283, 175, 84, 23));
  EXPECT_EQ(a.cmdSysInfo()->geometry(), QRect(284, 205, 83, 23));
  EXPECT_TRUE(a.cmdOK()->isDefault());
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(a.lblLink(i)->font().underline());
    EXPECT_EQ(a.lblLink(i)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(a.lblLink(i)->cursor().shape(), Qt::PointingHandCursor);
  }

  // The etched line: grey on pixel row 163, white on rows 164 and 165.
  const QImage shot = a.grab().toImage();
  EXPECT_EQ(shot.pixelColor(200, 163), QColor(128, 128, 128));
  EXPECT_EQ(shot.pixelColor(200, 164), QColor(Qt::white));
  EXPECT_EQ(shot.pixelColor(200, 165), QColor(Qt::white));

  // A link hands its own text to the desktop; a failure says nothing.
  QTest::mouseClick(a.lblLink(1), Qt::LeftButton);
  QTest::mouseClick(a.lblLink(0), Qt::LeftButton);
  EXPECT_EQ(rig.opened, (QStringList{a.lblLink(1)->text(), a.lblLink(0)->text()}));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  delete box;
}

TEST(AboutBox, TrademarkLineDropsTheBlanksAroundIt) {
  EXPECT_EQ(frmAbout::TrademarkLine("TM", "(c) Us"), "TM       (c) Us");
  EXPECT_EQ(frmAbout::TrademarkLine("", "(c) Us"), "(c) Us");
  EXPECT_EQ(frmAbout::TrademarkLine("TM", ""), "TM");
  EXPECT_EQ(frmAbout::TrademarkLine("", ""), "");
}

TEST(AboutBox, EscapeAlwaysClosesAndEnterPressesTheFocusedButton) {
  AboutRig rig;
  rig.registry.SetString(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, "/opt/info");

  QPointer<frmAbout> box = rig.Make();
  box->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(box.data()));
  box->cmdSysInfo()->setFocus();
  QTest::keyClick(box.data(), Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull());

  box = rig.Make();
  box->show();
  box->cmdSysInfo()->setFocus();
  QTest::keyClick(box->cmdSysInfo(), Qt::Key_Return);
  EXPECT_EQ(rig.launched, QStringList{"/opt/info"});
  ASSERT_FALSE(box.isNull());
  EXPECT_TRUE(box->isVisible());

  box->cmdOK()->setFocus();
  QTest::keyClick(box->cmdOK(), Qt::Key_Enter);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull());
  EXPECT_EQ(rig.launched.size(), 1);
}

TEST(AboutBox, GetKeyValueReadsTextsAndNumbersWithinItsBuffer) {
  AboutRig rig;
  std::unique_ptr<frmAbout> a(rig.Make());
  Registry& r = rig.registry;
  HKEY root = HKEY_LOCAL_MACHINE;
  QString key = "Software\\Test", name, val = "old";
  auto get = [&](const char* valueName) {
    name = QString::fromLatin1(valueName);
    return a->GetKeyValue(root, key, name, val);
  };

  r.SetString(root, "Software\\Test", "Text", "hello");
  EXPECT_TRUE(get("Text"));
  EXPECT_EQ(val, "hello");

  r.SetDword(root, "Software\\Test", "Number", 0x00ABCDEFu);
  EXPECT_TRUE(get("Number"));
  EXPECT_EQ(val, "&hABCDEF");
  r.SetDword(root, "Software\\Test", "Number", 0xFFFFFFFFu);
  EXPECT_TRUE(get("Number"));
  EXPECT_EQ(val, "&hFFFFFFFF");

  // 1023 characters and the NUL fill the buffer exactly; one more does not fit.
  r.SetString(root, "Software\\Test", "Full", std::string(1023, 'x'));
  EXPECT_TRUE(get("Full"));
  EXPECT_EQ(val.size(), 1023);
  r.SetString(root, "Software\\Test", "Long", std::string(1024, 'x'));
  EXPECT_FALSE(get("Long"));
  EXPECT_EQ(val, "");

  // A text without its NUL keeps every character; other types leave KeyVal alone.
  r.SetValue(root, "Software\\Test", "Bare", REG_SZ, "abc");
  EXPECT_TRUE(get("Bare"));
  EXPECT_EQ(val, "abc");
  r.SetValue(root, "Software\\Test", "Blob", REG_BINARY, "\x01\x02");
  EXPECT_TRUE(get("Blob"));
  EXPECT_EQ(val, "abc");

  EXPECT_FALSE(get("Missing"));
  EXPECT_EQ(val, "");
  val = "old";
  key = "Software\\Nowhere";
  EXPECT_FALSE(get("Text"));
  EXPECT_EQ(val, "");
  // It asks for write access too, which a read-only key refuses.
  key = "Software\\Test";
  r.SetKeyRights(root, "Software\\Test", 0x20019);
  EXPECT_FALSE(get("Text"));
  EXPECT_EQ(r.OpenHandles(), 0u);
}

TEST(AboutBox, StartSysInfoTriesBothKeysThenSaysItIsUnavailable) {
  AboutRig rig;
  std::unique_ptr<frmAbout> a(rig.Make());
  Registry& r = rig.registry;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.filePath("tools");

  // Nothing installed: the one message.
  a->StartSysInfo();
  EXPECT_EQ(rig.messages, QStringList{kUnavailable});
  EXPECT_TRUE(rig.launched.isEmpty());

  // The second way names a folder; the file beside it must exist.
  r.SetString(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, kSysInfoLocationValue, folder.toStdString());
  a->StartSysInfo();
  EXPECT_EQ(rig.messages.size(), 2);
  EXPECT_TRUE(rig.launched.isEmpty());
  QFile program(folder + "\\MSINFO32.EXE");
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.close();
  a->StartSysInfo();
  EXPECT_EQ(rig.launched, QStringList{folder + "\\MSINFO32.EXE"});

  // The first way wins and is launched unchanged, unchecked.
  r.SetString(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, "/no/such/program");
  a->StartSysInfo();
  EXPECT_EQ(rig.launched.last(), "/no/such/program");
  EXPECT_EQ(rig.messages.size(), 2);

  // A program that fails to start, or a value of another type, ends in the message.
  rig.launchWorks = false;
  a->StartSysInfo();
  EXPECT_EQ(rig.messages.size(), 3);
  rig.launchWorks = true;
  r.SetValue(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, REG_BINARY, "\x01");
  a->StartSysInfo();
  EXPECT_EQ(rig.launched.last(), "");
  EXPECT_EQ(rig.messages, (QStringList{kUnavailable, kUnavailable, kUnavailable, kUnavailable}));
}

}  // namespace
