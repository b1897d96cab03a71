#pragma once
#include <string>

namespace qz {

class TPlatz;

// The diagram window of a place as the net sees it: it receives samples of
// the place's marking and its captions. The window that plots them, or a
// headless recorder, implements it.
class Oscilloscope {
public:
    virtual ~Oscilloscope() = default;
    virtual void AddSample(long double time, long double marking) = 0;
    virtual void ClearData() = 0;
    virtual void SetCurveOn(bool on) = 0;
    // "Place: " + name, the variable name, 0 continuous / 1 discrete curve.
    virtual void SetCaptions(const std::string& headLine, const std::string& yAxisName,
                             int curveType) = 0;
    // The window watches another place now: the net was read anew (undo)
    // and handed it to the place that stands where its place stood.
    virtual void PlaceChanged(TPlatz* /*place*/) {}
};

} // namespace qz
