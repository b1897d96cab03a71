#pragma once
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <functional>
#include <vector>

#include "simulation/ArcAnimation.h"

namespace qz::ui {

class QtWindowSurface;

// The tokens of a token animation on a window's surface: the "StandardMarke"
// picture centred on each world point (through the surface's current
// mapping), with the image under it kept so that the next frame puts it
// back. `present` shows the surface at once (the window repaints now).
class QtTokenSprites final : public TokenSprites {
public:
    QtTokenSprites(QtWindowSurface& surface, std::function<void()> present);
    ~QtTokenSprites() override;

    void ShowFrame(std::span<const TPoint> tokens) override;
    void Clear() override;

private:
    struct Saved {
        QPoint topLeft; // logical pixels
        QImage under;
    };
    void Restore();

    QtWindowSurface& surface_;
    std::function<void()> present_;
    QPixmap token_;
    std::vector<Saved> saved_;
};

} // namespace qz::ui
