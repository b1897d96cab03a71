#include "platform/QtTokenSprites.h"

#include <cmath>

#include "platform/QtWindowSurface.h"
#include "widgets/Pictures.h"

namespace qz::ui {

namespace {

constexpr int kTokenBox = 24; // logical pixels; the picture's token is 10 across

// Paints in the surface's logical pixels, whatever mapping the canvas holds.
class LogicalPainting {
public:
    explicit LogicalPainting(QtWindowSurface& s) : p_(s.Painter()) {
        p_.save();
        p_.resetTransform();
        p_.setWindow(QRect(QPoint(0, 0), s.LogicalSize()));
        p_.setViewport(QRect(QPoint(0, 0), s.LogicalSize()));
        p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    ~LogicalPainting() { p_.restore(); }
    QPainter& operator*() { return p_; }

private:
    QPainter& p_;
};

} // namespace

QtTokenSprites::QtTokenSprites(QtWindowSurface& surface, std::function<void()> present)
    : surface_(surface),
      present_(std::move(present)),
      token_(NamedPixmap(QStringLiteral("StandardMarke"), kTokenBox, surface.Image().devicePixelRatio())) {}

QtTokenSprites::~QtTokenSprites() { Restore(); }

void QtTokenSprites::Restore() {
    if (saved_.empty()) return;
    LogicalPainting p(surface_);
    (*p).setCompositionMode(QPainter::CompositionMode_Source);
    // Backwards: overlapping tokens give back what lay under the first.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) (*p).drawImage(it->topLeft, it->under);
    saved_.clear();
}

void QtTokenSprites::ShowFrame(std::span<const TPoint> tokens) {
    Restore();
    const QTransform toLogical = surface_.Painter().combinedTransform();
    const QImage& image = surface_.Image();
    const qreal ratio = image.devicePixelRatio();
    {
        LogicalPainting p(surface_);
        for (const TPoint& world : tokens) {
            const QPointF at = toLogical.map(QPointF(world.x, world.y));
            const QPoint topLeft(static_cast<int>(std::lround(at.x())) - kTokenBox / 2,
                                 static_cast<int>(std::lround(at.y())) - kTokenBox / 2);
            const QRect pixels(QPoint(static_cast<int>(std::floor(topLeft.x() * ratio)),
                                      static_cast<int>(std::floor(topLeft.y() * ratio))),
                               token_.size());
            QImage under = image.copy(pixels);
            under.setDevicePixelRatio(ratio);
            saved_.push_back({topLeft, std::move(under)});
            (*p).drawPixmap(topLeft, token_);
        }
    }
    surface_.Drawn();
    if (present_) present_();
}

void QtTokenSprites::Clear() {
    Restore();
    surface_.Drawn();
    if (present_) present_();
}

} // namespace qz::ui
