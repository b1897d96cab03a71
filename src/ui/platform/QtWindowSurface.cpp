#include "platform/QtWindowSurface.h"

#include <cmath>

namespace qz::ui {

QtWindowSurface::QtWindowSurface(std::string componentName) : componentName_(std::move(componentName)) {
    image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(Qt::white);
    painter_.begin(&image_);
    canvas_ = std::make_unique<render::QtCanvas>(painter_);
}

QtWindowSurface::~QtWindowSurface() {
    canvas_.reset();
    if (painter_.isActive()) painter_.end();
}

void QtWindowSurface::Begin() {
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    // The painter starts fresh: give it the canvas's mapping again.
    canvas_->SetMapping(canvas_->Mapping());
}

bool QtWindowSurface::Resize(QSize logicalSize, qreal devicePixelRatio) {
    logicalSize = logicalSize.expandedTo(QSize(1, 1));
    const QSize pixels(static_cast<int>(std::ceil(logicalSize.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(logicalSize.height() * devicePixelRatio)));
    if (pixels == image_.size() && logicalSize == logicalSize_ &&
        qFuzzyCompare(image_.devicePixelRatio(), devicePixelRatio)) {
        return false;
    }
    painter_.end();
    image_ = QImage(pixels, QImage::Format_RGB32);
    image_.setDevicePixelRatio(devicePixelRatio);
    image_.fill(Qt::white);
    logicalSize_ = logicalSize;
    Begin();
    dirty_ = true;
    return true;
}

void QtWindowSurface::InvalidateRect(const TRect&) { InvalidateAll(); }

void QtWindowSurface::InvalidateAll() {
    if (redrawing_) return;
    dirty_ = true;
    if (invalidated) invalidated();
}

void QtWindowSurface::Present(QPainter& widgetPainter) {
    // The image is read while its own painter is paused, so every figure
    // drawn so far is in it.
    painter_.end();
    widgetPainter.drawImage(QPointF(0, 0), image_);
    Begin();
}

} // namespace qz::ui
