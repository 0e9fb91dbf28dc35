#include "qt/start_up_qt.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace app {

void set_program_identity() {
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORLA_APP_ID));
}

bool load_qt_translations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace app
