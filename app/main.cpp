#include <QApplication>

#include "board/ui/frmBoard.h"
#include "opponent/ComputerPlayer.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
  // The program ends only through the board window's unload, never because
  // the splash was the last window open for a moment.
  QApplication::setQuitOnLastWindowClosed(false);

  frmBoard w;
  ComputerPlayer computer(w.board());
  w.SetOpponent(&computer);
  // Network games run on the session service plugged in here.
  w.SetSessionServiceFactory(SessionServiceFactory{});
  w.Load();
  w.show();
  return QApplication::exec();
}
