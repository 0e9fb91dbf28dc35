#include "app/start_up.h"

#include <QApplication>
#include <QIcon>

namespace app {

void set_program_identity() {
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORLA_APP_ID));
}

}  // namespace app
