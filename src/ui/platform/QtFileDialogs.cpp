#include "platform/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace qz::ui {

QStringList NameFilters(std::string_view filter) {
    const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                                  .split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    }
    return filters;
}

namespace {

std::optional<std::string> Run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAccessibleName(dialog.windowTitle());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath().toStdString();
}

} // namespace

std::optional<std::string> QtFileDialogs::OpenFileName(std::string_view filter, std::string_view directory) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Open"));
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(NameFilters(filter));
    if (!directory.empty()) {
        dialog.setDirectory(QString::fromUtf8(directory.data(), static_cast<qsizetype>(directory.size())));
    }
    return Run(dialog);
}

std::optional<std::string> QtFileDialogs::SaveFileName(std::string_view initialPath,
                                                       std::string_view defaultExtension,
                                                       std::string_view filter) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Save as"));
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The callers ask before they replace a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(NameFilters(filter));
    QString suffix = QString::fromUtf8(defaultExtension.data(), static_cast<qsizetype>(defaultExtension.size()));
    suffix.remove(QLatin1Char('*'));
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    // A name typed without extension takes that of the chosen file type.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& nameFilter) {
        const qsizetype star = nameFilter.lastIndexOf(QLatin1String("*."));
        if (star < 0) return;
        QString ext = nameFilter.mid(star + 2);
        ext.truncate(ext.indexOf(QLatin1Char(')')));
        if (!ext.isEmpty() && !ext.contains(QLatin1Char('*'))) dialog.setDefaultSuffix(ext);
    });
    if (!initialPath.empty()) {
        dialog.selectFile(QString::fromUtf8(initialPath.data(), static_cast<qsizetype>(initialPath.size())));
    }
    return Run(dialog);
}

} // namespace qz::ui
