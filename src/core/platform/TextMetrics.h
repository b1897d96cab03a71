#pragma once

namespace qz {

class Canvas;

// The scratch surface labels measure themselves on when their element has no
// surface of its own. The window and the renderers install a real one; the
// headless default has fixed metrics that approximate Arial.
Canvas& MeasuringSurface();
void SetMeasuringSurface(Canvas* surface); // nullptr restores the default

} // namespace qz
