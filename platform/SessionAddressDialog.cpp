#include <QApplication>
#include <QInputDialog>

#include "platform/TcpSessionService.h"

std::optional<std::string> AskSessionAddress(uint16_t defaultPort) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
  QInputDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(QStringLiteral("Locate Session"));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setLabelText(QStringLiteral("Enter the name or address of the computer to search for sessions,\n"
                                     "with :port if it is not %1 ([address]:port for IPv6).\n"
                                     "Leave it blank to search the local network.")
                          .arg(defaultPort));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}
