#include "widgets/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QIconEngine>

namespace qz::ui {

namespace {

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kGreen(20, 140, 60);
const QColor kRed(200, 30, 30);

void Lens(QPainter& p, bool plus, bool minus) {
    p.setPen(QPen(kInk, 2.2));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QRectF(3, 3, 12, 12));
    p.setPen(QPen(kInk, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(20.5, 20.5));
    p.setPen(QPen(kInk, 1.8));
    if (plus || minus) p.drawLine(QPointF(6, 9), QPointF(12, 9));
    if (plus) p.drawLine(QPointF(9, 6), QPointF(9, 12));
}

void Page(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::white);
    QPainterPath path;
    path.moveTo(5, 2);
    path.lineTo(14, 2);
    path.lineTo(19, 7);
    path.lineTo(19, 22);
    path.lineTo(5, 22);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(14, 2), QPointF(14, 7));
    p.drawLine(QPointF(14, 7), QPointF(19, 7));
}

// Draws a picture in a 24 x 24 box.
void Draw(QPainter& p, const QString& n) {
    p.setRenderHint(QPainter::Antialiasing);
    if (n == "New") {
        Page(p);
    } else if (n == "Open") {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2, 7, 18, 13));
        p.setBrush(QColor(250, 220, 120));
        QPolygonF lid{{5, 11}, {22, 11}, {19, 20}, {2, 20}};
        p.drawPolygon(lid);
    } else if (n == "Close") {
        Page(p);
        p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 11), QPointF(16, 19));
        p.drawLine(QPointF(16, 11), QPointF(8, 19));
    } else if (n == "Save") {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6, 13, 12, 8));
    } else if (n == "ShowOn" || n == "ShowOff") {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2, 4, 16, 16));
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 7, QFont::Bold));
        p.drawText(QRectF(2, 4, 16, 16), Qt::AlignCenter, n == "ShowOn" ? QStringLiteral("12") : QStringLiteral("m1"));
        if (n == "ShowOn") {
            p.setPen(QPen(kGreen, 2));
            p.drawLine(QPointF(17, 19), QPointF(19.5, 22));
            p.drawLine(QPointF(19.5, 22), QPointF(23, 15));
        }
    } else if (n == "Plus") {
        Lens(p, true, false);
    } else if (n == "MinusLupe") {
        Lens(p, false, true);
    } else if (n == "Rect") {
        p.setPen(QPen(kInk, 1.4, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2, 2, 14, 11));
        p.translate(4, 6);
        p.scale(0.75, 0.75);
        Lens(p, false, false);
    } else if (n == "Hand_offen") {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(250, 225, 190));
        QPainterPath hand;
        hand.addRoundedRect(QRectF(6, 10, 12, 11), 4, 4);
        for (int i = 0; i < 4; ++i) hand.addRoundedRect(QRectF(6 + i * 3, 3 + (i == 0 || i == 3 ? 2 : 0), 3, 10), 1.5, 1.5);
        hand.addRoundedRect(QRectF(2, 11, 6, 3), 1.5, 1.5);
        p.drawPath(hand.simplified());
    } else if (n == "Navigator") {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 3, 20, 17));
        p.setBrush(QColor(0, 255, 255));
        p.drawRect(QRectF(5, 7, 9, 7));
        p.setBrush(kInk);
        p.drawEllipse(QRectF(15, 13, 4, 4));
    } else if (n == "Simulation") {
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF{{7, 4}, {20, 12}, {7, 20}});
    } else if (n == "Pfeil") {
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF{{6, 2}, {6, 19}, {10, 15}, {13, 22}, {16, 21}, {13, 14}, {18, 14}});
    } else if (n == "Connector") {
        p.setPen(QPen(kInk, 1.6));
        p.drawLine(QPointF(3, 20), QPointF(19, 5));
        p.setBrush(kInk);
        p.drawPolygon(QPolygonF{{21, 3}, {13, 6}, {18, 11}});
    } else if (n == "DPlatz" || n == "KPlatz") {
        p.setPen(QPen(kInk, 1.6));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3, 3, 18, 18));
        if (n == "KPlatz") p.drawEllipse(QRectF(6, 6, 12, 12));
    } else if (n == "DTrans" || n == "KTrans") {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(n == "DTrans" ? QBrush(kInk) : QBrush(Qt::white));
        p.drawRect(QRectF(3, 8, 18, 8));
    } else if (n == "Marke" || n == "StandardMarke") {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(7, 7, 10, 10));
    } else if (n == "Text") {
        p.setPen(kInk);
        p.setFont(QFont(QStringLiteral("Liberation Serif"), 15, QFont::Bold));
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("A"));
    } else if (n == "Obj") {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(255, 240, 170));
        p.drawRoundedRect(QRectF(3, 5, 18, 14), 4, 4);
    } else if (n == "BMP_OK") {
        p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{{4, 13}, {10, 19}, {20, 5}});
    } else if (n == "BMP_ERROR") {
        p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        p.drawLine(QPointF(19, 5), QPointF(5, 19));
    } else if (n == "Splash") {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(1, 1, 22, 22));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 10, 12, 4));
    }
}

class PictureEngine final : public QIconEngine {
public:
    explicit PictureEngine(QString name) : name_(std::move(name)) {}
    void paint(QPainter* p, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        p->save();
        if (mode == QIcon::Disabled) p->setOpacity(0.35);
        p->translate(rect.topLeft());
        p->scale(rect.width() / 24.0, rect.height() / 24.0);
        Draw(*p, name_);
        p->restore();
    }
    QIconEngine* clone() const override { return new PictureEngine(name_); }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

private:
    QString name_;
};

} // namespace

QIcon NamedIcon(const QString& name) { return QIcon(new PictureEngine(name)); }

QPixmap NamedPixmap(const QString& name, int size, qreal devicePixelRatio) {
    QPixmap pm(qRound(size * devicePixelRatio), qRound(size * devicePixelRatio));
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.scale(size / 24.0, size / 24.0);
    Draw(p, name);
    return pm;
}

QCursor ToolCursor(int number) {
    static const char* const kNames[16] = {"", "DPlatz", "KPlatz", "DTrans", "KTrans", "Marke", "Text", "Obj",
                                           "", "", "", "Hand_offen", "", "Plus", "MinusLupe", "Rect"};
    if (number == 0) return QCursor(Qt::ArrowCursor);
    if (number == -3) return QCursor(Qt::CrossCursor);
    if (number < 0 || number > 15 || !*kNames[number]) return QCursor(Qt::ArrowCursor);
    const QPixmap pm = NamedPixmap(QString::fromLatin1(kNames[number]), 24, 2.0);
    return number == 11 || number == 13 || number == 14 || number == 15 ? QCursor(pm, 9, 9) : QCursor(pm, 12, 12);
}

} // namespace qz::ui
