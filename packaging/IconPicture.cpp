// Draws the program's icon, the net of the start-up picture on its dark blue
// ground, and writes it as an SVG file: quenzor-icon FILE.svg. Run by the
// build; the picture goes through the same canvas and SVG writer as the
// pictures of nets.
#include <array>
#include <iostream>
#include <string>

#include "FontSupport.h"
#include "PictureFiles.h"

namespace {

using qz::Canvas;
using qz::TPoint;

constexpr int kSize = 128;
constexpr qz::TColor kGround = qz::RGB(24, 60, 140);
constexpr qz::TColor kEdge = qz::RGB(10, 25, 60);
constexpr qz::TColor kWhite = qz::colors::White;

qz::TPen Pen(qz::TColor color, int width) {
    qz::TPen pen;
    pen.color = color;
    pen.width = width;
    return pen;
}

qz::TBrush Brush(qz::TColor color, qz::BrushStyle style = qz::BrushStyle::Solid) {
    qz::TBrush brush;
    brush.color = color;
    brush.style = style;
    return brush;
}

void Arrow(Canvas& c, int fromX, int toX, int y) {
    c.MoveTo(fromX, y);
    c.LineTo(toX - 6, y);
    const std::array<TPoint, 3> head{TPoint{toX, y}, TPoint{toX - 9, y - 6}, TPoint{toX - 9, y + 6}};
    c.brush = Brush(kWhite);
    c.pen = Pen(kWhite, 1);
    c.Polygon(head);
}

// A discrete place holding a token, a transition and a continuous place
// (drawn doubled), joined by two arcs: a hybrid net in its smallest form.
void DrawIcon(Canvas& c) {
    c.pen = Pen(kEdge, 2);
    c.brush = Brush(kGround);
    c.RoundRect(4, 4, 124, 124, 30, 30);

    c.pen = Pen(kWhite, 4);
    c.brush = Brush(kWhite, qz::BrushStyle::Clear);
    c.Ellipse(8, 48, 40, 80);
    c.Ellipse(88, 48, 120, 80);
    c.pen = Pen(kWhite, 3);
    c.Ellipse(95, 55, 113, 73);

    c.pen = Pen(kWhite, 1);
    c.brush = Brush(kWhite);
    c.Ellipse(18, 58, 30, 70);
    c.Rectangle(59, 34, 69, 94);

    c.pen = Pen(kWhite, 4);
    Arrow(c, 42, 58, 64);
    c.pen = Pen(kWhite, 4);
    Arrow(c, 70, 86, 64);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: quenzor-icon FILE.svg\n";
        return 2;
    }
    qz::render::EnsureGuiApplication();
    qz::render::PictureSetup setup;
    setup.width = setup.height = kSize;
    qz::render::PictureLabels labels;
    labels.svgTitle = "Quenzor";
    std::string error;
    const bool written = qz::render::WritePictureFile(
        argv[1], setup, qz::render::PictureFormat::Svg, [](Canvas& c, int, int) { DrawIcon(c); }, labels, &error);
    if (!written) {
        std::cerr << "quenzor-icon: " << error << '\n';
        return 1;
    }
    return 0;
}
