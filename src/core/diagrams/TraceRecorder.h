#pragma once
#include <string>

#include "diagrams/Oscilloscope.h"
#include "diagrams/TPunktListe.h"

namespace qz::diagrams {

// An oscilloscope without a window: keeps the samples of its place in a
// trace. Headless runs attach one to every place they record.
class TTraceRecorder : public Oscilloscope {
public:
    void AddSample(long double time, long double marking) override { trace.Append(time, marking); }
    void ClearData() override { trace.Clear(); }
    void SetCurveOn(bool on) override { curveOn = on; }
    void SetCaptions(const std::string& head, const std::string& yAxis, int type) override {
        headLine = head;
        yAxisName = yAxis;
        curveType = type;
    }

    TPunktListe trace;
    bool curveOn = false;
    std::string headLine;
    std::string yAxisName;
    int curveType = 0;
};

} // namespace qz::diagrams
