// The board window's Help menu opens one About box and one homepage window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "BoardWindowRig.h"
#include "shell/HelpWindows.h"

namespace {

template <typename W>
int OpenWindows() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<W*>(w) && w->isVisible()) ++n;
  return n;
}

TEST(HelpMenu, OpensOneOfEachWindowModelessWithNoOwner) {
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--proxy-server=127.0.0.1:9");
  // Should the browser module not load here, its message box is answered.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  answer.start(50);

  WindowRig rig;
  frmBoard& w = rig.w();
  w.mnuHelp_Click(2);
  w.mnuHelp_Click(-1);
  EXPECT_EQ(OpenWindows<frmAbout>() + OpenWindows<frmWeb>(), 0);

  w.mnuHelp(1)->trigger();
  QPointer<frmAbout> about = w.Help()->OpenAbout();
  w.mnuHelp(1)->trigger();
  EXPECT_EQ(OpenWindows<frmAbout>(), 1);
  ASSERT_TRUE(about);
  EXPECT_EQ(w.Help()->OpenAbout(), about.data());
  EXPECT_EQ(about->parentWidget(), nullptr);
  EXPECT_FALSE(about->isModal());
  about->cmdOK()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(about.isNull());
  w.mnuHelp(1)->trigger();  // loads afresh
  EXPECT_EQ(OpenWindows<frmAbout>(), 1);
  EXPECT_EQ(w.Help()->OpenAbout()->windowTitle(), "About Dravenholt");

  w.mnuHelp(0)->trigger();
  QPointer<frmWeb> web = w.Help()->OpenWeb();
  ASSERT_TRUE(web);
  EXPECT_TRUE(web->isVisible());
  EXPECT_EQ(web->parentWidget(), nullptr);
  EXPECT_EQ(web->windowTitle(), "Dravenholt Homepage");
  EXPECT_EQ(web->Navigate(), frmWeb::kHomePage);
  web->SetNavigate("about:blank");
  w.mnuHelp(0)->trigger();
  EXPECT_EQ(w.Help()->OpenWeb(), web.data());
  EXPECT_EQ(web->Navigate(), frmWeb::kHomePage);
  EXPECT_EQ(OpenWindows<frmWeb>(), 1);
  EXPECT_EQ(OpenWindows<frmAbout>(), 1);  // both at once, the game still usable
  EXPECT_FALSE(web->isModal());
}

}  // namespace
