#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/TQuenzorApp.h"
#include "model/storage/NetFile.h"
#include "platform/QtPlatform.h"

int main(int argc, char* argv[]) {
    // "--version" and "--help" are answered before the application object
    // exists, so they work without a display.
    if (const auto code = qz::ui::AnswerInfoArgument(std::vector<std::string>(argv + 1, argv + argc), std::cout))
        return *code;
    QApplication application(argc, argv);
    qz::ui::QtPlatform platform;
    qz::InstallNetFileLoader();
    qz::ui::TQuenzorApp quenzor(QApplication::arguments().mid(1), {});
    return QApplication::exec();
}
