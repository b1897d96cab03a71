#pragma once
#include <QFrame>
#include <QString>
#include <initializer_list>
#include <vector>

class QLabel;

namespace qz::ui {

// A status bar of fixed-width text panels, addressed by index; each panel
// carries its text as its accessible name, so that screen readers and tests
// read what it shows.
class TStatusPanels final : public QFrame {
    Q_OBJECT
public:
    TStatusPanels(const QString& objectName, std::initializer_list<int> widths, QWidget* parent = nullptr);

    void SetText(int panel, const QString& text);
    QString Text(int panel) const;
    // Widens the panel, where it must, to hold the text whole.
    void Hold(int panel, const QString& text);
    int Count() const { return static_cast<int>(panels_.size()); }
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void PlaceStrip();
    QWidget* strip_ = nullptr;
    std::vector<QLabel*> panels_;
};

} // namespace qz::ui
