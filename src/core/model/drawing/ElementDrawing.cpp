// How places, transitions, arcs, frames and interface places paint
// themselves. (Outline drawing until the full drawing lands.)
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Canvas.h"

namespace qz {

void TPlatz::Draw() {
    if (!shown || !canvas) return;
    canvas->Ellipse(hit.left + 1, hit.top + 1, hit.right - 1, hit.bottom - 1);
}

void TTransition::Draw() {
    if (!shown || !canvas) return;
    canvas->Rectangle(hit.left + 1, hit.top + 1, hit.right - 1, hit.bottom - 1);
}

void TEdge::Draw() {
    if (!shown || !canvas) return;
    canvas->MoveTo(StartPoint().x, StartPoint().y);
    canvas->LineTo(EndPoint().x, EndPoint().y);
}

void TObjectFrame::Draw() {
    if (!shown || !canvas) return;
    canvas->Rectangle(bounds.left, bounds.top, bounds.right, bounds.bottom);
}

void TInterfacePlace::Draw() {
    if (!shown || !canvas || !visible) return;
    canvas->Rectangle(hit.left, hit.top, hit.right, hit.bottom);
}

} // namespace qz
