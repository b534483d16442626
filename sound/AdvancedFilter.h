// The "Advanced filter" dialog: the band, action, ratio, block size, overlap
// and window of the spectral engine's "avanzado" mode, a picture of the band
// on a frequency axis, a plot of the selection's average spectrum, and the
// stored filters (".svf" files in "filters" beside the program).
//
// The dialog edits the program's one FFT work area directly; the engine
// reads it when the dialog has closed with OK.
#pragma once
#include <QDialog>
#include <array>
#include <cstdint>

#include "sound/engine/fft/fft_work_area.h"
#include "sound/engine/stored_filter.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace sv {
class RadioGroup;

// The plot of entries 1..1024 of the average spectrum: one vertical line
// per entry, at most kPlotHeight pixels above the baseline, four entries
// per pixel column over kPlotWidth columns.
constexpr int kPlotEntries = 1024;
constexpr int kPlotWidth = 256;
constexpr int kPlotHeight = 60;
struct SpectrumPlot {
    int64_t maxValue = 1;                     // shown as "Max value= "
    std::array<int, kPlotEntries> heights{};  // entry i + 1, in pixels
};
SpectrumPlot spectrumPlot(const std::array<double, kSpectrumPoints>& spectrum, bool logarithmic);
// Column of entry i (from 1) relative to the plot's origin.
inline int plotColumn(int entry) { return (entry * kPlotWidth) >> 10; }
} // namespace sv

class TAdvancedFilterfrm : public QDialog {
    Q_OBJECT
public:
    // area: the work area the dialog edits; the program's one (FftArea())
    // when null.
    explicit TAdvancedFilterfrm(QWidget* parent = nullptr, sv::FftWorkArea* area = nullptr);

    // Shows the dialog for a sound of `rate` Hz. Returns 1 when it was
    // cancelled (Cancel, Escape or the window frame), 0 after OK.
    uint8_t mostrar_form(int32_t rate);
    // The modal run in two halves for tests: prepare() resets the controls
    // and the work area for the rate; conclude() takes the modal result.
    void prepare(int32_t rate);
    uint8_t conclude(int modalResult);

    sv::FftWorkArea& area() { return area_; }

    // Controls.
    QLabel* Label13;        // banner
    QFrame* Bevel1;         // left axis line of the band picture and the plot
    QFrame* Bevel2;         // their baseline
    QWidget* Shape1;        // the chosen band
    QLabel* Label1;         // "0 Hz"
    QLabel* Label2;         // "Fm/2"
    QLabel* Label3;
    QSlider* TrackBar1;     // low cut
    QLineEdit* Edit1;
    QLabel* Label5;
    QSlider* TrackBar2;     // high cut
    QLineEdit* Edit2;
    sv::RadioGroup* RadioGroup1;
    QLabel* Label6;
    QSlider* TrackBar3;     // ratio x 10
    QLabel* Label4;         // the ratio
    QLabel* Label8;
    QComboBox* ComboBox1;   // window size
    QLabel* Label9;
    QComboBox* ComboBox2;   // overlap percent
    QLabel* Label10;
    QComboBox* ComboBox3;   // window type
    QLabel* Label11;
    QComboBox* ComboBox4;   // stored filters
    QToolButton* SpeedButton1;   // store
    QToolButton* SpeedButton2;   // delete
    QLabel* Label7;         // above the plot buttons
    QPushButton* button3;   // linear plot
    QPushButton* button4;   // logarithmic plot
    QPushButton* Button1;   // OK
    QPushButton* Button2;   // Cancel

    // Event handlers.
    void FormActivate();
    void RadioGroup1Click();
    void Button1Click();
    void Button2Click();
    void TrackBar1Change();
    void TrackBar2Change();
    void TrackBar3Change();
    void Edit1KeyPress();   // Return
    void Edit2KeyPress();
    void Edit1Exit();
    void Edit2Exit();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void Button3Click();
    void Button4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    // Draws the plot, when one is chosen, under the controls.
    void FormPaint(class QPainter& painter);

    // Rebuilds the stored-filter list from the "filters" folder.
    void CarregaFiltres();
    // Brings the plot up to date with the average spectrum and repaints.
    void dibuixar_frec();

    // Sets the action's index; a change runs the action handler, as a
    // change made by the user does.
    void setActionIndex(int index);
    // The seven values a stored filter keeps, from the controls.
    sv::StoredFilterRecord recordFromControls() const;
    // Applies a stored filter as choosing it in the list does.
    void applyRecord(const sv::StoredFilterRecord& r);
    // The plot drawn at the last paint, and whether one is shown.
    const sv::SpectrumPlot& plot() const { return plot_; }
    // The x of the plot's first column and the baseline's y.
    int plotLeft() const;
    int baseline() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int half() const;
    void drawBand();
    void takeCut(QLineEdit* edit, QSlider* bar, bool low);
    void recomputeSizes();
    void plotSpectrum(bool logarithmic);
    void warnFileError(int error);

    sv::FftWorkArea& area_;
    sv::SpectrumPlot plot_;
    int shownAction_ = -1;   // the action the handler last applied
};

extern TAdvancedFilterfrm* AdvancedFilterfrm;
