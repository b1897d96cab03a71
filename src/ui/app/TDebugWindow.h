#pragma once
#include "widgets/TToolWindow.h"

class QPlainTextEdit;

namespace qz::ui {

class QtTraceSink;

// The debug viewer: receives the simulation's trace lines while it is shown.
class TDebugWindow final : public TToolWindow {
    Q_OBJECT
public:
    TDebugWindow(QtTraceSink& sink, QWidget* parent);
    ~TDebugWindow() override;
    void Append(const QString& line);
    QString Text() const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    QtTraceSink& sink_;
    QPlainTextEdit* lines_;
};

} // namespace qz::ui
