#include <QApplication>

#include "app/TQuenzorApp.h"
#include "model/storage/NetFile.h"
#include "platform/QtPlatform.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    qz::ui::QtPlatform platform;
    qz::InstallNetFileLoader();
    qz::ui::TQuenzorApp quenzor(QApplication::arguments().mid(1), {});
    return QApplication::exec();
}
