#include "app/fatal_error.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>
#include <cstdlib>

#include "common/gbk.h"
#include "qt/qt_text.h"

namespace app {

void fatal_error(std::string_view error_text) {
    std::string message = fatal_error_message(error_text);
    QCoreApplication* app = QCoreApplication::instance();
    if (qobject_cast<QApplication*>(app) != nullptr && QThread::currentThread() == app->thread()) {
        QMessageBox::critical(nullptr, QString::fromUtf8("错误"), common::from_gbk(message));
    } else {
        std::fputs(common::from_gbk(message).toLocal8Bit().constData(), stderr);
    }
    std::_Exit(-1);
}

}  // namespace app
