#include "settings/TOptionsWindow.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/ConfigFile.h"
#include "simulation/SimulationSession.h"

namespace qz::ui {

TOptionsWindow::TOptionsWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TOptionsWindow"));
    setWindowTitle(QStringLiteral("Options"));
    setAccessibleName(windowTitle());
    LoadConfig();
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
}

void TOptionsWindow::SetCurrentWindow(TDocForm* form) { current_ = form; }

void TOptionsWindow::ShowPerformance(const RunStatistics&) {}

} // namespace qz::ui
