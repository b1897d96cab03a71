#pragma once
#include <QSize>

#include "diagrams/Oscilloscope.h"
#include "diagrams/TMorphWindow2.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace qz::ui {

class TOsziPanel;

// "Oszillograph": the oscilloscope window of a place. It receives the
// place's samples (it is the place's Oscilloscope, owned by the place) and
// plots them; its own title bar rolls it up, hides itself and closes it; its
// menu shows and scales the plot, copies and exports it, exports the values,
// copies and pastes the window's format, erases the data and informs about
// it.
class TOsziFenster final : public TMorphWindow2, public Oscilloscope {
    Q_OBJECT
public:
    TOsziFenster(TDocForm& owner, TPlatz* place);
    ~TOsziFenster() override;

    // Oscilloscope.
    void AddSample(long double time, long double marking) override;
    void ClearData() override;
    void SetCurveOn(bool on) override;
    void SetCaptions(const std::string& headLine, const std::string& yAxisName, int curveType) override;
    void PlaceChanged(TPlatz* place) override;

    TOsziPanel& Panel() const { return *panel_; }
    QMenu& Menu() const { return *menu_; }
    QAction* MenuItem(const char* objectName) const;
    // The title as given, and as the title bar shows it (cut to the width).
    const QString& Ueberschrift() const { return title_; }
    void SetUeberschrift(const QString& title);
    bool RolledUp() const { return rolledUp_; }
    bool HeadLineShown() const;

    // The title bar's buttons and the menu's items.
    void MiniButtonClick();
    void MaxiButtonClick();
    void ToolBar1Click(bool on);
    void AutoScale1Click();
    void ManualScale1Click();
    void Axis1Click();
    void Colours1Click();
    void CenterAxis1Click();
    void InitAxis1Click();
    void ShowParent1Click();
    void HideHeadLine1Click();
    void CopyToClipboard1Click();
    void ExportGraphic1Click();
    void ExportAscii1Click();
    void FormatCopy1Click();
    void FormatPaste1Click();
    void EraseData1Click();
    void Info1Click();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void BuildMenu();
    void SyncMenu();
    void ShowTitle();
    QToolButton* ModeButton(const char* name, const QString& hint, int mode);

    TOsziPanel* panel_;
    QWidget* titleBar_;
    QLabel* titleLabel_;
    QToolButton* maxiButton_;
    QWidget* toolBar_;
    QMenu* menu_;
    QString title_;
    bool curveOn_ = false;
    bool rolledUp_ = false;
    QSize unrolled_;
};

} // namespace qz::ui
