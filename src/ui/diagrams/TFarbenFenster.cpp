#include "diagrams/TFarbenFenster.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "diagrams/TOsziPanel.h"
#include "widgets/ControlNames.h"

namespace qz::ui {

namespace {

QColor ToQt(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

TColor FromQt(const QColor& c) { return RGB(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue())); }

} // namespace

TFarbenFenster::TFarbenFenster(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFarbenFenster"));
    setWindowTitle(QStringLiteral("Colors"));
    setAccessibleName(windowTitle());
    auto* pages = Named(new QTabWidget(this), "PageControl1", QStringLiteral("Pages"));
    auto* general = Named(new QWidget(pages), "General", QStringLiteral("General"));
    auto* grid = new QGridLayout(general);
    static const char* const kNames[] = {"Axis:", "Grids:", "Background:"};
    static const char* const kButtons[] = {"AxisBtn", "GridsBtn", "BackgroundBtn"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::fromLatin1(kNames[i]), general), i, 0);
        samples_[i] = new QFrame(general);
        samples_[i]->setFrameStyle(QFrame::Box | QFrame::Plain);
        samples_[i]->setFixedSize(40, 16);
        samples_[i]->setAutoFillBackground(true);
        grid->addWidget(samples_[i], i, 1);
        auto* choose = Named(new QPushButton(QStringLiteral("..."), general), kButtons[i],
                             QString::fromLatin1(kNames[i]));
        connect(choose, &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
        grid->addWidget(choose, i, 2);
    }
    grid->addWidget(new QLabel(QStringLiteral("Font:"), general), 3, 0);
    font_ = Named(new QLabel(general), "FontLabel", QStringLiteral("Font"));
    grid->addWidget(font_, 3, 1);
    auto* change = Named(new QPushButton(QStringLiteral("Change"), general), "FontBtn", QStringLiteral("Change"));
    connect(change, &QPushButton::clicked, this, [this] { ChooseFont(); });
    grid->addWidget(change, 3, 2);
    demo_ = new TOsziPanel(general);
    demo_->setObjectName(QStringLiteral("DemoOszi"));
    demo_->setAccessibleName(QStringLiteral("Preview"));
    demo_->setMinimumSize(200, 120);
    // A sine for the preview.
    for (int i = 0; i <= 60; ++i) demo_->Trace().Append(i / 10.0L, std::sin(i / 10.0));
    grid->addWidget(demo_, 0, 3, 5, 1);
    pages->addTab(general, QStringLiteral("General"));
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "OKBtn", QStringLiteral("OK"));
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBtn", QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
}

bool TFarbenFenster::Execute(diagrams::PlotSettings& settings) {
    settings_ = settings;
    ShowSamples();
    if (exec() != QDialog::Accepted) return false;
    settings.axesColor = settings_.axesColor;
    settings.gridColor = settings_.gridColor;
    settings.background = settings_.background;
    settings.font = settings_.font;
    return true;
}

void TFarbenFenster::ShowSamples() {
    const TColor colours[] = {settings_.axesColor, settings_.gridColor, settings_.background};
    for (int i = 0; i < 3; ++i) {
        QPalette p = samples_[i]->palette();
        p.setColor(QPalette::Window, ToQt(colours[i]));
        samples_[i]->setPalette(p);
    }
    font_->setText(QStringLiteral("%1, %2").arg(Q(settings_.font.name)).arg(settings_.font.size));
    // The preview shows the grid too, so that its colour can be seen.
    diagrams::PlotSettings& demo = demo_->Settings();
    demo.axesColor = settings_.axesColor;
    demo.gridColor = settings_.gridColor;
    demo.background = settings_.background;
    demo.font = settings_.font;
    demo.gridVisible = true;
    demo_->FullRepaint();
}

void TFarbenFenster::SetColour(int which, TColor colour) {
    TColor* target[] = {&settings_.axesColor, &settings_.gridColor, &settings_.background};
    if (which < 0 || which > 2) return;
    *target[which] = colour;
    ShowSamples();
}

void TFarbenFenster::SetFont(const TFont& font) {
    settings_.font = font;
    ShowSamples();
}

void TFarbenFenster::ChooseColour(int which) {
    const TColor current[] = {settings_.axesColor, settings_.gridColor, settings_.background};
    const QColor chosen = QColorDialog::getColor(ToQt(current[which]), this);
    if (chosen.isValid()) SetColour(which, FromQt(chosen));
}

void TFarbenFenster::ChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, QFont(Q(settings_.font.name), settings_.font.size), this);
    if (!ok) return;
    TFont f = settings_.font;
    f.name = chosen.family().toStdString();
    f.size = std::max(1, chosen.pointSize());
    SetFont(f);
}

} // namespace qz::ui
