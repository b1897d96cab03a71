#include "widgets/ScreenFit.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "workspace/WindowLayout.h"

namespace qz::ui {

void FitOnScreen(QWidget* window) {
    const QWidget* anchor = !window->isVisible() && window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect free = screen->availableGeometry();
    // The frame of the window manager, where there is one, counts too.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const int extraW = frame.width() - inner.width(), extraH = frame.height() - inner.height();
    const TRect fitted = FitInto(ToTRect(frame), ToTRect(free));
    window->setGeometry(fitted.left + (inner.left() - frame.left()), fitted.top + (inner.top() - frame.top()),
                        std::max(1, fitted.Width() - extraW), std::max(1, fitted.Height() - extraH));
}

} // namespace qz::ui
