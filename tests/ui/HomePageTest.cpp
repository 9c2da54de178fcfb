// The homepage window, with and without its browser module.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "shell/frmWeb.h"

namespace {

const QString kLabel = QStringLiteral(
    "   [Your current Version: 3.0.4]   Close Dravenholt down before attempting to replace the program file with "
    "that contained within the Update");

// Answers the message box the window's load may show, noting "title|text".
QStringList* AnswerNextBox() {
  auto* said = new QStringList;
  QTimer::singleShot(0, [said] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      *said << box->windowTitle() + "|" + box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  return said;
}

TEST(HomePage, WithoutItsBrowserItStillOpensAndSaysWhy) {
  std::unique_ptr<QStringList> said(AnswerNextBox());
  QPointer<frmWeb> w = new frmWeb({"/nowhere/dravenholt-browser.so"});
  ASSERT_EQ(said->size(), 1);
  EXPECT_TRUE(said->first().startsWith("Dravenholt|Error :"));
  EXPECT_TRUE(said->first().contains("/nowhere/dravenholt-browser.so"));
  EXPECT_EQ(w->Browser(), nullptr);

  EXPECT_EQ(w->windowTitle(), "Dravenholt Homepage");
  EXPECT_EQ(w->lblVersion()->text(), kLabel);
  EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Window);
  EXPECT_NE(w->minimumSize(), w->maximumSize());  // sizable
  EXPECT_EQ(w->Navigate(), "");
  w->SetNavigate("http://www.dravenholt.example/update.html");
  EXPECT_EQ(w->Navigate(), "http://www.dravenholt.example/update.html");

  // The browser fills the client area below the label; a window lower than
  // the label gives it (label height - H), never a negative height.
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.data()));
  w->resize(600, 500);
  EXPECT_EQ(w->Web()->geometry(), QRect(0, 40, 600, 462));
  EXPECT_EQ(w->lblVersion()->geometry(), QRect(0, 0, 600, 38));
  w->resize(300, 20);
  EXPECT_EQ(w->Web()->geometry(), QRect(0, 40, 300, 18));
  EXPECT_EQ(w->lblVersion()->geometry(), QRect(0, 0, 300, 38));
  delete w;

  // A file that is no library: the loader's own reason.
  QTemporaryDir dir;
  const QString bogus = dir.filePath("dravenholt-browser.so");
  QFile f(bogus);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a library");
  f.close();
  said.reset(AnswerNextBox());
  w = new frmWeb({bogus});
  ASSERT_EQ(said->size(), 1);
  EXPECT_TRUE(said->first().startsWith("Dravenholt|Error :"));
  EXPECT_TRUE(said->first().contains(bogus));
  EXPECT_EQ(w->lblVersion()->text(), kLabel);
  delete w;

  // A library without the entry point: named, and what it lacks.
  said.reset(AnswerNextBox());
  w = new frmWeb({DH_NO_ENTRY_MODULE});
  ASSERT_EQ(said->size(), 1);
  EXPECT_EQ(said->first(), QStringLiteral("Dravenholt|Error :" DH_NO_ENTRY_MODULE
                                          " is not the browser module: it has no DhCreateBrowser"));
  delete w;
}

TEST(HomePage, TheBrowserModuleShowsALocalPage) {
  // No host name leaves this machine, whatever a page asks for.
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--proxy-server=127.0.0.1:9");
  QTemporaryDir dir;
  const QString page = dir.filePath("home.html");
  QFile f(page);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<html><head><title>Local Home</title></head><body style='background:#00aa00'></body></html>");
  f.close();

  std::unique_ptr<QStringList> said(AnswerNextBox());
  std::unique_ptr<frmWeb> w(new frmWeb());  // the module beside the test, as beside the game
  if (!w->Browser()) {
    ASSERT_EQ(said->size(), 1);
    EXPECT_TRUE(said->first().startsWith("Dravenholt|Error :"));
    GTEST_SKIP() << "Qt WebEngine cannot be loaded here: " << said->first().toStdString();
  }
  EXPECT_TRUE(said->isEmpty());
  EXPECT_EQ(w->Browser()->parentWidget(), w->Web());

  QSignalSpy loaded(w->Browser(), SIGNAL(loadFinished(bool)));
  w->show();
  const QString url = QUrl::fromLocalFile(page).toString();
  w->SetNavigate(url);
  EXPECT_EQ(w->Navigate(), url);
  ASSERT_TRUE(loaded.wait(60000)) << "the page never finished loading";
  EXPECT_TRUE(loaded.first().at(0).toBool());
  EXPECT_EQ(w->Browser()->property("title").toString(), "Local Home");
  // And it is drawn: the page's green shows in the window.
  QColor colour;
  for (int i = 0; i < 100 && colour != QColor(0, 170, 0); ++i) {
    QTest::qWait(100);
    colour = w->grab().toImage().pixelColor(100, 200);
  }
  EXPECT_EQ(colour, QColor(0, 170, 0));
}

}  // namespace
