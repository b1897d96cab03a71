#include "widgets/TStatusPanels.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace qz::ui {

TStatusPanels::TStatusPanels(const QString& objectName, std::initializer_list<int> widths, QWidget* parent)
    : QFrame(parent) {
    setObjectName(objectName);
    setAccessibleName(QStringLiteral("Status bar"));
    // The panels lie on a strip of their own that the bar cuts at its right
    // edge when the window is narrower than they are.
    strip_ = new QWidget(this);
    auto* row = new QHBoxLayout(strip_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    int i = 0;
    const int last = static_cast<int>(widths.size()) - 1;
    for (int w : widths) {
        auto* label = new QLabel(strip_);
        label->setObjectName(QStringLiteral("%1Panel%2").arg(objectName).arg(i++));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        // The last panel reaches to the right edge.
        if (i - 1 == last) {
            label->setMinimumWidth(w);
        } else {
            label->setFixedWidth(w);
        }
        label->setTextFormat(Qt::PlainText);
        label->setMargin(1);
        row->addWidget(label, i - 1 == last ? 1 : 0);
        panels_.push_back(label);
    }
    setFixedHeight(strip_->sizeHint().height());
    setMinimumWidth(1);
}

QSize TStatusPanels::sizeHint() const { return strip_->sizeHint(); }

void TStatusPanels::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    PlaceStrip();
}

void TStatusPanels::PlaceStrip() {
    strip_->setGeometry(0, 0, std::max(width(), strip_->minimumSizeHint().width()), height());
}

void TStatusPanels::SetText(int panel, const QString& text) {
    if (panel < 0 || panel >= Count()) return;
    QLabel* label = panels_[static_cast<std::size_t>(panel)];
    if (label->text() == text) return;
    label->setText(text);
    label->setAccessibleName(text);
    // A panel grows to hold a text longer than it was made for.
    if (label->sizeHint().width() > label->minimumWidth()) Hold(panel, text);
}

void TStatusPanels::Hold(int panel, const QString& text) {
    if (panel < 0 || panel >= Count()) return;
    QLabel* label = panels_[static_cast<std::size_t>(panel)];
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2 * (label->margin() + label->frameWidth()) +
                       label->fontMetrics().averageCharWidth();
    if (needed <= label->minimumWidth()) return;
    if (panel == Count() - 1) {
        label->setMinimumWidth(needed);
    } else {
        label->setFixedWidth(needed);
    }
    strip_->layout()->activate();
    PlaceStrip();
}

QString TStatusPanels::Text(int panel) const {
    return panel >= 0 && panel < Count() ? panels_[static_cast<std::size_t>(panel)]->text() : QString();
}

void TStatusPanels::mouseReleaseEvent(QMouseEvent* e) {
    QFrame::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton) emit clicked();
}

} // namespace qz::ui
