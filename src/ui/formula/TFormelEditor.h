#pragma once
#include "widgets/TToolWindow.h"

namespace qz {
class TNetList;
}

namespace qz::ui {

// "Formula Editor": the formula editor.
class TFormelEditor final : public TToolWindow {
    Q_OBJECT
public:
    explicit TFormelEditor(QWidget* parent);

    // The net whose places the editor offers; null detaches.
    void SetNet(TNetList* net) { net_ = net; }
    TNetList* Net() const { return net_; }

private:
    TNetList* net_ = nullptr;
};

} // namespace qz::ui
