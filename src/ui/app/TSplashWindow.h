#pragma once
#include <QWidget>

class QTimer;

namespace qz::ui {

// The picture with the product name shown while the program starts; its
// timer (3000 ms) ends it.
class TSplashWindow final : public QWidget {
    Q_OBJECT
public:
    explicit TSplashWindow(int milliseconds = 3000);
    QTimer* Timer() const { return timer_; }

signals:
    void expired();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QTimer* timer_;
};

} // namespace qz::ui
