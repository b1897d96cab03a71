#include "simulation/TSimuPanel.h"

#include "app/TMainWindow.h"

namespace qz::ui {

TSimuPanel::TSimuPanel(TMainWindow& main, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), main_(main) {
    setObjectName(QStringLiteral("TSimuPanel"));
    setWindowTitle(QStringLiteral("Simulation"));
    setAccessibleName(windowTitle());
}

void TSimuPanel::StartPanel(TDocForm& form) {
    form_ = &form;
    show();
}

void TSimuPanel::StopPanel() {
    form_ = nullptr;
    hide();
}

} // namespace qz::ui
