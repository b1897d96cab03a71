#include "platform/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace qz::ui {

void QtClipboard::SetText(std::string_view utf8) {
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void QtClipboard::SetMetafile(const void* data, std::size_t size) {
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/x-emf"),
                  QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size)));
    QGuiApplication::clipboard()->setMimeData(mime);
}

std::optional<std::string> QtClipboard::Text() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText()) return std::nullopt;
    return mime->text().toStdString();
}

} // namespace qz::ui
