#include "app/start_up.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "common/gbk.h"
#include "services/system_services.h"
#include "web/site_hosts.h"

namespace app {

void take_hosts_from_environment() {
    std::vector<web::refused_host> refused = web::take_hosts_from_environment();
    if (refused.empty()) return;
    common::message_box(web::refused_hosts_message(refused), 48, common::gbk<"友情提醒">());
}

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
