#include <QApplication>

#include "board/ui/frmBoard.h"
#include "opponent/ComputerPlayer.h"
#include "platform/TcpSessionService.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
  // The program ends only through the board window's unload, never because
  // the splash was the last window open for a moment.
  QApplication::setQuitOnLastWindowClosed(false);

  frmBoard w;
  ComputerPlayer computer(w.board());
  w.SetOpponent(&computer);
  // Network games run on our TCP/IP session service.
  w.SetSessionServiceFactory(TcpSessionServiceFactory());
  w.Load();
  w.show();
  return QApplication::exec();
}
