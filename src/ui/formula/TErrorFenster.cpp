#include "formula/TErrorFenster.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "widgets/Pictures.h"

namespace qz::ui {

TErrorFenster::TErrorFenster(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TErrorFenster"));
    setWindowTitle(QStringLiteral("Compile Error"));
    setAccessibleName(windowTitle());
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(NamedPixmap(QStringLiteral("BMP_ERROR"), 48, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* text = new QLabel(QStringLiteral("There occured some \nerrors during compiling.\nTo get more informations \n"
                                           "about the errors \nplease check the object \ninspector.\n\n"
                                           "Enlarge the width of it to \nget more informations."),
                            this);
    text->setObjectName(QStringLiteral("Message"));
    text->setAccessibleName(text->text());
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAccessibleName(close->text());
    dontShow_ = new QCheckBox(QStringLiteral("Dont show this window again"), this);
    dontShow_->setObjectName(QStringLiteral("DontShowCheckBox"));
    dontShow_->setAccessibleName(dontShow_->text());
    connect(close, &QPushButton::clicked, this, [this] { CloseBtnClick(); });
    connect(dontShow_, &QCheckBox::toggled, this, [this](bool on) { emit errorWindowWanted(!on); });

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(dontShow_);
    layout->addWidget(close, 0, Qt::AlignRight);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TErrorFenster::CloseBtnClick() { close(); }

void TErrorFenster::showEvent(QShowEvent* e) {
    const QSignalBlocker block(dontShow_);
    dontShow_->setChecked(false);
    QWidget::showEvent(e);
}

} // namespace qz::ui
