#pragma once
#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>

#include "platform/Window.h"
#include "QtCanvas.h"

namespace qz::ui {

// The drawing surface of a window that shows a net. Elements keep a pointer
// to its canvas and draw on it at any time (animations draw between paints),
// so the canvas lives as long as the surface and paints into a backing image
// at the widget's device pixel ratio; the widget presents the image when it
// paints. Invalidation marks the whole image for a fresh drawing; while the
// image is being drawn afresh, invalidations are ignored (the drawing is
// already the new one), so that painting never schedules another paint.
class QtWindowSurface final : public Window {
public:
    explicit QtWindowSurface(std::string componentName);
    ~QtWindowSurface() override;

    Canvas* Surface() override { return canvas_.get(); }
    void InvalidateRect(const TRect& worldRect) override;
    void InvalidateAll() override;
    std::string ComponentName() const override { return componentName_; }

    // Called when the drawing must be made again, or only shown again.
    std::function<void()> invalidated;
    std::function<void()> drawn;

    render::QtCanvas& WindowCanvas() { return *canvas_; }
    QPainter& Painter() { return painter_; }
    // Follows the widget's size in logical pixels and its pixel ratio;
    // true when the image was made anew (and must be drawn again).
    bool Resize(QSize logicalSize, qreal devicePixelRatio);
    QSize LogicalSize() const { return logicalSize_; }
    bool Dirty() const { return dirty_; }
    void SetDirty(bool on) { dirty_ = on; }
    // Brackets a fresh drawing of the whole image.
    void BeginRedraw() { redrawing_ = true; }
    void EndRedraw() {
        redrawing_ = false;
        dirty_ = false;
    }
    bool Redrawing() const { return redrawing_; }
    // Draws the image at the top-left corner of the widget's painter.
    void Present(QPainter& widgetPainter);
    // Tells the widget that something was drawn outside a paint (tokens,
    // flows, rubber bands).
    void Drawn() {
        if (drawn) drawn();
    }
    const QImage& Image() const { return image_; }

private:
    void Begin();

    std::string componentName_;
    QImage image_;
    QPainter painter_;
    std::unique_ptr<render::QtCanvas> canvas_;
    QSize logicalSize_;
    bool dirty_ = true;
    bool redrawing_ = false;
};

} // namespace qz::ui
