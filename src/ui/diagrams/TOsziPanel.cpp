#include "diagrams/TOsziPanel.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "QtCanvas.h"
#include "common/NumberFormat.h"
#include "platform/Services.h"
#include "widgets/Pictures.h"
#include "widgets/TypedTextFilter.h"

namespace qz::ui {

namespace {

// With automatic scaling, a trace this short is drawn whole at every sample.
constexpr int kRescaleBelow = 250;
// More new samples than this are drawn by drawing the whole curve again.
constexpr int kFullDrawAbove = 750;

inline constexpr char kInputError[] = "Input Error!";

} // namespace

TOsziPanel::TOsziPanel(QWidget* parent) : QWidget(parent), drawTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("OsziPanel"));
    setAccessibleName(QStringLiteral("Plot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(40, 30);
    setCursor(Qt::CrossCursor);
    // New samples are drawn together, at most every 20 ms.
    drawTimer_->setInterval(20);
    drawTimer_->setSingleShot(true);
    connect(drawTimer_, &QTimer::timeout, this, [this] { DrawPending(); });
    static const char* const kNames[] = {"XMaxEdit", "XMinEdit", "YMaxEdit", "YMinEdit"};
    static const char* const kAccessible[] = {"Right border", "Left border", "Top border", "Bottom border"};
    for (int i = 0; i < 4; ++i) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(kNames[i]));
        e->setAccessibleName(QString::fromLatin1(kAccessible[i]));
        e->setValidator(new TypedTextFilter(QStringLiteral("0123456789,-"), true, e));
        e->setFixedWidth(64);
        e->hide();
        connect(e, &QLineEdit::returnPressed, this, [this] { BorderEditsEntered(); });
        edits_[std::size_t(i)] = e;
    }
}

// ---------------------------------------------------------------------------
// Properties

void TOsziPanel::SetAchsenVisible(bool on) {
    settings_.axesVisible = on;
    FullRepaint();
}

void TOsziPanel::SetWerteVisible(bool on) {
    settings_.valuesVisible = on;
    FullRepaint();
}

void TOsziPanel::SetRasterVisible(bool on) {
    settings_.gridVisible = on;
    FullRepaint();
}

void TOsziPanel::SetAutoScale(bool on) {
    settings_.autoScale = on;
    FullRepaint();
}

void TOsziPanel::SetManuell(bool on) {
    settings_.manual = on;
    if (on) settings_.autoScale = false;
    FullRepaint();
}

void TOsziPanel::SetKurveTyp(diagrams::TKurveTyp t) {
    if (settings_.curve == t) return;
    settings_.curve = t;
    FullRepaint();
}

void TOsziPanel::SetXMax(long double v) {
    borders_.SetXMax(v);
    FullRepaint();
}

void TOsziPanel::SetXMin(long double v) {
    borders_.SetXMin(v);
    FullRepaint();
}

void TOsziPanel::SetYMax(long double v) {
    borders_.SetYMax(v);
    FullRepaint();
}

void TOsziPanel::SetYMin(long double v) {
    borders_.SetYMin(v);
    FullRepaint();
}

void TOsziPanel::SetBorders(const diagrams::PlotBorders& b) {
    borders_ = b;
    FullRepaint();
}

void TOsziPanel::SetMode(Mode m) {
    mode_ = m;
    static const int kCursors[] = {-1, 13, 14, 15, 11};
    if (m == Mode::None) {
        setCursor(Qt::CrossCursor);
    } else {
        setCursor(ToolCursor(kCursors[int(m)]));
    }
}

// ---------------------------------------------------------------------------
// Drawing

void TOsziPanel::NewSample() {
    const int count = trace_.Count();
    // Borders that follow the trace move while it is short or when it
    // leaves them to the right: then everything is drawn again.
    if (settings_.autoScale && (count < kRescaleBelow || (trace_.Last() && trace_.Last()->x > borders_.xmax))) {
        full_ = true;
    }
    if (!drawTimer_->isActive()) drawTimer_->start();
}

void TOsziPanel::FullRepaint() {
    full_ = true;
    DrawPending();
}

void TOsziPanel::DrawPending() {
    drawTimer_->stop();
    const QSize size = this->size();
    if (size.isEmpty()) return;
    const qreal ratio = devicePixelRatioF();
    if (image_.size() != size * ratio) {
        image_ = QImage(size * ratio, QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
        full_ = true;
    }
    // Samples erased since the last drawing: all again. So many new ones
    // that the curve drawn whole (every how-many-th sample) is cheaper: the
    // same.
    if (trace_.Count() < drawn_ || trace_.Count() - drawn_ > kFullDrawAbove) full_ = true;
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    render::QtCanvas canvas(p);
    if (full_) {
        diagrams::PaintPlot(canvas, size.width(), size.height(), trace_, settings_, borders_);
        full_ = false;
    } else if (trace_.Count() > drawn_) {
        diagrams::PaintNewSegments(canvas, size.width(), size.height(), trace_, settings_, borders_,
                                   trace_.Count() - std::max(1, drawn_));
    }
    drawn_ = trace_.Count();
    p.end();
    PlaceBorderEdits();
    update();
}

void TOsziPanel::PaintTo(Canvas& canvas, int width, int height) {
    diagrams::PlotBorders borders = borders_;
    diagrams::PaintPlot(canvas, width, height, trace_, settings_, borders);
}

void TOsziPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (image_.isNull()) {
        p.fillRect(rect(), Qt::white);
    } else {
        p.drawImage(QPoint(0, 0), image_);
    }
    if (!band_) return;
    if (p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
    }
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.drawRect(QRect(pressPoint_, lastPoint_).normalized());
}

void TOsziPanel::resizeEvent(QResizeEvent*) { FullRepaint(); }

void TOsziPanel::PlaceBorderEdits() {
    const bool shown = settings_.manual;
    for (QLineEdit* e : edits_) e->setVisible(shown);
    if (!shown) return;
    const diagrams::PlotMapping m(borders_, width(), height());
    const int w = edits_[0]->width(), h = edits_[0]->sizeHint().height();
    const auto clampX = [&](int x) { return std::clamp(x, 3, std::max(3, width() - w - 3)); };
    const auto clampY = [&](int y) { return std::clamp(y, 3, std::max(3, height() - h - 3)); };
    const int axisRow = clampY(m.originRow - h / 2), axisColumn = clampX(m.originColumn - w / 2);
    // xmax at the right end, xmin at the left end of the x axis; ymax at
    // the top, ymin at the bottom of the y axis, clear of each other.
    edits_[0]->move(width() - w - 3, std::clamp(axisRow + h + 6, 3, std::max(3, height() - h - 3)));
    edits_[1]->move(3, std::clamp(axisRow + h + 6, 3, std::max(3, height() - h - 3)));
    edits_[2]->move(clampX(axisColumn + w / 2 + 6), 3);
    edits_[3]->move(clampX(axisColumn + w / 2 + 6), height() - h - 3);
    const long double values[] = {borders_.xmax, borders_.xmin, borders_.ymax, borders_.ymin};
    for (int i = 0; i < 4; ++i) {
        QLineEdit* e = edits_[std::size_t(i)];
        if (!e->hasFocus()) e->setText(QString::fromStdString(num::FormatGeneral(values[i], 15)));
    }
}

void TOsziPanel::BorderEditsEntered() {
    long double v[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<long double> n = num::ParseNumber(edits_[std::size_t(i)]->text().toStdString());
        if (!n || !std::isfinite(double(*n))) {
            Platform().messages->Error(kInputError);
            return;
        }
        v[i] = *n;
    }
    // The right, left, top and bottom fields, in that order.
    borders_.SetXMax(v[0]);
    borders_.SetXMin(v[1]);
    borders_.SetYMax(v[2]);
    borders_.SetYMin(v[3]);
    FullRepaint();
}

// ---------------------------------------------------------------------------
// Mouse

void TOsziPanel::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (!ownMouse_ || mode_ == Mode::None) {
        if (dragPress) dragPress(e);
        return;
    }
    pressed_ = true;
    pressPoint_ = lastPoint_ = e->position().toPoint();
    const diagrams::PlotMapping m(borders_, width(), height());
    const long double cx = m.DataX(pressPoint_.x()), cy = m.DataY(pressPoint_.y());
    switch (mode_) {
    case Mode::ZoomIn: diagrams::ZoomIn(borders_, cx, cy); FullRepaint(); break;
    case Mode::ZoomOut: diagrams::ZoomOut(borders_, cx, cy); FullRepaint(); break;
    case Mode::ZoomRect: band_ = true; break;
    default: break;
    }
}

void TOsziPanel::mouseMoveEvent(QMouseEvent* e) {
    if (!pressed_) {
        if (dragMove) dragMove(e);
        return;
    }
    const QPoint at = e->position().toPoint();
    if (mode_ == Mode::Move) {
        diagrams::Move(borders_, at.x() - lastPoint_.x(), at.y() - lastPoint_.y(), width(), height());
        FullRepaint();
    } else if (band_) {
        update();
    }
    lastPoint_ = at;
}

void TOsziPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_) {
        if (dragRelease) dragRelease(e);
        return;
    }
    pressed_ = false;
    if (band_) {
        band_ = false;
        const QPoint at = e->position().toPoint();
        const diagrams::PlotMapping m(borders_, width(), height());
        diagrams::ZoomRect(borders_, m.DataX(pressPoint_.x()), m.DataY(pressPoint_.y()), m.DataX(at.x()),
                           m.DataY(at.y()));
        FullRepaint();
    }
}

} // namespace qz::ui
