#include "sound/AdvancedFilter.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "dialogs/ParamDialog.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_advfilter.h"
#include "platform/activity.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "sound/fft_state.h"

TAdvancedFilterfrm* AdvancedFilterfrm = nullptr;

namespace sv {

SpectrumPlot spectrumPlot(const std::array<double, kSpectrumPoints>& spectrum, bool logarithmic) {
    SpectrumPlot plot;
    // Magnitudes of 16-bit sound reach about 7e7 per entry: 64-bit sums.
    std::array<int64_t, kPlotEntries> rounded{};
    int64_t top = 1;
    for (int i = 0; i < kPlotEntries; ++i) {
        const double magnitude = std::fabs(spectrum[size_t(i)]);
        rounded[size_t(i)] = std::max<int64_t>(1, roundHalfEven(magnitude, 0, INT64_MAX / 64));
        // ln of 0 is -infinity: such an entry never raises the maximum.
        const int64_t v = logarithmic ? (magnitude > 0 ? roundHalfEven(std::log(magnitude)) : 0)
                                      : roundHalfEven(magnitude, 0, INT64_MAX / 64);
        top = std::max(top, v);
    }
    plot.maxValue = top;
    for (int i = 0; i < kPlotEntries; ++i) {
        const int64_t a = rounded[size_t(i)];
        // The logarithm of a rounded entry can pass the rounded logarithm of
        // the largest one by a fraction: the line stays inside the plot.
        const int64_t h = logarithmic ? roundHalfEven(std::log(double(a)) * kPlotHeight / double(top))
                                      : a * kPlotHeight / top;
        plot.heights[size_t(i)] = int(std::clamp<int64_t>(h, 0, kPlotHeight));
    }
    return plot;
}

} // namespace sv

namespace {

const QStringList kSizes = {"4096", "2048", "1024", "512"};
const QStringList kOverlaps = {"50", "40", "30", "20", "10", "0"};
const QStringList kWindows = {"Rectangular", "Barlett", "Hanning", "Hamming", "Blackman"};
const char kFilterFiles[] = "Sonvela Filter (*.svf)|*.svf";

// WindowType for a text of the window list; 0 for a text it does not hold.
int32_t windowTypeOf(const QString& text) {
    const int i = kWindows.indexOf(text);
    return i < 0 ? 0 : i + 1;
}

// The band: a red outline without fill.
class BandShape : public QWidget {
public:
    explicit BandShape(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(Qt::red, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QFrame* line(QWidget* parent, QFrame::Shape shape, const QRect& geometry) {
    auto* f = new QFrame(parent);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(geometry);
    return f;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    if (buddy) l->setBuddy(buddy);
    return l;
}

QComboBox* list(QWidget* parent, const QStringList& items, const QRect& geometry) {
    auto* c = new QComboBox(parent);
    c->addItems(items);
    c->setEditable(false);
    c->setGeometry(geometry);
    return c;
}

// The dialog is shown from inside an engine run, which has set the busy
// state: while it waits for the user the cursor is the ordinary one.
class IdleWhileAsking {
public:
    IdleWhileAsking() : previous_(sv::activity()) {
        if (previous_ == sv::Activity::Busy) sv::setActivity(sv::Activity::Idle);
    }
    ~IdleWhileAsking() {
        if (previous_ == sv::Activity::Busy) sv::setActivity(previous_);
    }
private:
    sv::Activity previous_;
};

} // namespace

TAdvancedFilterfrm::TAdvancedFilterfrm(QWidget* parent, sv::FftWorkArea* area)
    : QDialog(parent), area_(area ? *area : FftArea()) {
    setWindowTitle(QStringLiteral("Advanced filter"));
    setModal(true);
    setFixedSize(416, 373);

    Label13 = new QLabel(QStringLiteral("Advanced filter   "), this);
    QFont big = Label13->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 2);
    Label13->setFont(big);
    Label13->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label13->setAutoFillBackground(true);
    Label13->setBackgroundRole(QPalette::Dark);
    Label13->setForegroundRole(QPalette::BrightText);
    Label13->setGeometry(0, 0, 416, 26);

    Bevel1 = line(this, QFrame::VLine, QRect(16, 30, 2, 68));
    Bevel2 = line(this, QFrame::HLine, QRect(16, 96, 264, 2));
    Shape1 = new BandShape(this);
    Shape1->setGeometry(Bevel1->x() + 2, Bevel2->y() - 41, 1, 41);
    Label1 = label(this, QStringLiteral("0 Hz"), 8, 100);
    Label2 = label(this, QStringLiteral("Fm/2"), 264, 100);

    Label7 = label(this, QStringLiteral("Advanced Filter"), 290, 34);
    button3 = new QPushButton(QStringLiteral("&FFT"), this);
    button3->setFlat(true);
    button3->setGeometry(290, 56, 56, 24);
    button4 = new QPushButton(QStringLiteral("&LOG"), this);
    button4->setFlat(true);
    button4->setGeometry(350, 56, 56, 24);

    TrackBar1 = sv::makeTrackBar(this, 1, 2, 1000, 1);
    TrackBar1->setGeometry(16, 134, 300, 26);
    Edit1 = new QLineEdit(QStringLiteral("1"), this);
    Edit1->setGeometry(324, 134, 76, 22);
    Label3 = label(this, QStringLiteral("&Low cut frequency (Hz):"), 16, 118, TrackBar1);
    TrackBar2 = sv::makeTrackBar(this, 1, 2, 1000, 1);
    TrackBar2->setGeometry(16, 178, 300, 26);
    Edit2 = new QLineEdit(QStringLiteral("1"), this);
    Edit2->setGeometry(324, 178, 76, 22);
    Label5 = label(this, QStringLiteral("&High cut frequency (Hz)"), 16, 162, TrackBar2);

    RadioGroup1 = new sv::RadioGroup(QStringLiteral("&Action:"),
                                     {QStringLiteral("Delete"), QStringLiteral("Boost"), QStringLiteral("Decrease"),
                                      QStringLiteral("Band Pass Filter")},
                                     this);
    RadioGroup1->setGeometry(16, 208, 150, 110);

    TrackBar3 = sv::makeTrackBar(this, 0, 100, 10, 0);
    TrackBar3->setTickPosition(QSlider::NoTicks);
    TrackBar3->setGeometry(176, 224, 180, 24);
    Label6 = label(this, QStringLiteral("&RATIO:"), 176, 208, TrackBar3);
    Label4 = label(this, QStringLiteral("0"), 364, 228);
    Label4->setFixedWidth(44);

    ComboBox1 = list(this, kSizes, QRect(176, 270, 70, 22));
    Label8 = label(this, QStringLiteral("&Window size:"), 176, 254, ComboBox1);
    ComboBox2 = list(this, kOverlaps, QRect(256, 270, 60, 22));
    Label9 = label(this, QStringLiteral("&Overlap (%):"), 256, 254, ComboBox2);
    ComboBox3 = list(this, kWindows, QRect(324, 270, 86, 22));
    Label10 = label(this, QStringLiteral("Window &type:"), 324, 254, ComboBox3);
    ComboBox3->setCurrentIndex(0);
    // The three lists stand side by side under their captions, each column
    // as wide as its caption or its longest item; the form grows to the
    // right when the font needs the room.
    int right = 176;
    for (auto [caption, box] : {std::pair{Label8, ComboBox1}, {Label9, ComboBox2}, {Label10, ComboBox3}}) {
        const int w = std::max(caption->sizeHint().width(), box->sizeHint().width());
        caption->setGeometry(right, 254, w, caption->sizeHint().height());
        box->setGeometry(right, 270, w, std::max(22, box->sizeHint().height()));
        right += w + 8;
    }
    const int width = std::max(416, right);
    setFixedSize(width, 373);
    Label13->setGeometry(0, 0, width, 26);
    // Room for "Max value= " and the largest magnitude of a 16-bit sound.
    Label7->setFixedWidth(width - Label7->x() - 4);

    ComboBox4 = list(this, {}, QRect(16, 338, 150, 22));
    Label11 = label(this, QStringLiteral("&Stored Filters:"), 16, 322, ComboBox4);
    ComboBox4->installEventFilter(this);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton1->setToolTip(QStringLiteral("Store Filter"));
    SpeedButton1->setGeometry(170, 338, 24, 22);
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    SpeedButton2->setToolTip(QStringLiteral("Delete Stored Filter"));
    SpeedButton2->setGeometry(196, 338, 24, 22);

    Button1 = new QPushButton(QStringLiteral("O&K"), this);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    sv::makePlainButton(Button1);
    sv::makePlainButton(Button2);
    Button1->setGeometry(250, 336, 75, 25);
    Button2->setGeometry(332, 336, 75, 25);
    for (QPushButton* b : {button3, button4}) sv::makePlainButton(b);

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(TrackBar3, &QSlider::valueChanged, this, [this] { TrackBar3Change(); });
    new sv::EditKeys(Edit1, [this] { Edit1KeyPress(); }, [this] { Edit1Exit(); });
    new sv::EditKeys(Edit2, [this] { Edit2KeyPress(); }, [this] { Edit2Exit(); });
    connect(RadioGroup1, &sv::RadioGroup::clicked, this, [this](int i) {
        // The radio buttons report every click; the handler runs on a change.
        if (i != shownAction_) RadioGroup1Click();
    });
    connect(ComboBox1, QOverload<int>::of(&QComboBox::activated), this, [this] { ComboBox1Change(); });
    connect(ComboBox2, QOverload<int>::of(&QComboBox::activated), this, [this] { ComboBox2Change(); });
    connect(ComboBox3, QOverload<int>::of(&QComboBox::activated), this, [this] { ComboBox3Change(); });
    connect(ComboBox4, QOverload<int>::of(&QComboBox::activated), this, [this] { ComboBox4Change(); });
    connect(button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

uint8_t TAdvancedFilterfrm::mostrar_form(int32_t rate) {
    prepare(rate);
    IdleWhileAsking idle;
    return conclude(sv::showModal(*this));
}

int TAdvancedFilterfrm::half() const {
    // A rate below 2 Hz would leave an empty axis: keep one step of it.
    return std::max<int32_t>(1, area_.SampleRate / 2);
}

void TAdvancedFilterfrm::prepare(int32_t rate) {
    sv::FftWorkArea& a = area_;
    Label7->setText(QStringLiteral("Advanced Filter"));
    a.SampleRate = rate;
    a.ShowLinear = a.ShowLog = a.SpectrumReady = 0;
    setActionIndex(0);

    const int h = half();
    a.LowCut = 1;
    a.HighCut = std::min(5000, h);
    sv::setSliderQuietly(TrackBar1, 1, h, 1);
    sv::setSliderQuietly(TrackBar2, 1, h, a.HighCut);
    Edit1->setText(QStringLiteral("1"));
    Edit2->setText(QString::number(a.HighCut));

    TrackBar3->setEnabled(false);
    Label4->setEnabled(false);
    Label4->setText(QStringLiteral("0"));
    sv::setSliderQuietly(TrackBar3, 0);

    setActionIndex(sv::kActionBandPass);
    a.FilterAction = sv::kActionBandPass;
    drawBand();

    a.OverlapSamples = 1024;
    a.FftSize = 2048;
    ComboBox1->setCurrentIndex(kSizes.indexOf("2048"));
    ComboBox2->setCurrentIndex(kOverlaps.indexOf("50"));
    a.Cancelled = 1;
    update();
}

uint8_t TAdvancedFilterfrm::conclude(int modalResult) {
    area_.Cancelled = modalResult == sv::mrCancel ? 1 : 0;
    return area_.Cancelled;
}

void TAdvancedFilterfrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TAdvancedFilterfrm::FormActivate() {
    recomputeSizes();
    // The engine runs with the window the list shows (also after a stored
    // filter chose it).
    if (const int32_t w = windowTypeOf(ComboBox3->currentText())) area_.WindowType = w;
    else area_.WindowType = sv::kWindowRectangular;
    CarregaFiltres();
}

void TAdvancedFilterfrm::recomputeSizes() {
    area_.FftSize = ComboBox1->currentText().toInt();
    area_.OverlapSamples = ComboBox2->currentText().toInt() * area_.FftSize / 100;
}

void TAdvancedFilterfrm::setActionIndex(int index) {
    if (RadioGroup1->ItemIndex() == index) return;
    RadioGroup1->setItemIndex(index);
    RadioGroup1Click();
}

void TAdvancedFilterfrm::RadioGroup1Click() {
    const int i = RadioGroup1->ItemIndex();
    const bool scaled = i == sv::kActionBoost || i == sv::kActionDecrease;
    sv::setSliderQuietly(TrackBar3, scaled ? 15 : 0);
    area_.Ratio = scaled ? 1.5 : 0.0;
    TrackBar3->setEnabled(scaled);
    Label4->setEnabled(scaled);
    Label4->setText(scaled ? QString::number(area_.Ratio, 'f', 2) : QStringLiteral("0.0"));
    area_.FilterAction = i;
    shownAction_ = i;
}

void TAdvancedFilterfrm::Button1Click() {
    area_.Cancelled = 0;
    done(sv::mrOk);
}

void TAdvancedFilterfrm::Button2Click() {
    area_.Cancelled = 1;
    done(sv::mrCancel);
}

void TAdvancedFilterfrm::drawBand() {
    const int64_t h = half();
    const int left = Bevel1->x() + 2 + int(int64_t(area_.LowCut) * sv::kPlotWidth / h);
    const int width = std::max(1, int(int64_t(area_.HighCut - area_.LowCut) * sv::kPlotWidth / h));
    Shape1->setGeometry(left, Shape1->y(), width, Shape1->height());
    Shape1->update();
}

namespace {

// Moving one cut onto or past the other drags the other along, so that the
// band never turns inside out.
void moveCut(sv::FftWorkArea& a, QSlider* bar, QLineEdit* edit, int32_t& cut, QSlider* otherBar,
             QLineEdit* otherEdit, int32_t& otherCut) {
    cut = bar->value();
    edit->setText(QString::number(cut));
    if (a.LowCut >= a.HighCut) {
        sv::setSliderQuietly(otherBar, cut);
        otherCut = otherBar->value();
        otherEdit->setText(QString::number(otherCut));
    }
}

} // namespace

void TAdvancedFilterfrm::TrackBar1Change() {
    moveCut(area_, TrackBar1, Edit1, area_.LowCut, TrackBar2, Edit2, area_.HighCut);
    drawBand();
}

void TAdvancedFilterfrm::TrackBar2Change() {
    moveCut(area_, TrackBar2, Edit2, area_.HighCut, TrackBar1, Edit1, area_.LowCut);
    drawBand();
}

void TAdvancedFilterfrm::TrackBar3Change() {
    area_.Ratio = TrackBar3->value() / 10.0;
    Label4->setText(QString::number(area_.Ratio, 'f', 2));
}

void TAdvancedFilterfrm::takeCut(QLineEdit* edit, QSlider* bar, bool low) {
    int v = 0;
    if (!sv::typedInteger(edit, v)) return;
    const int h = half();
    if (v > h) v = h;
    if (v <= 0) v = 1;
    edit->setText(QString::number(v));
    (low ? area_.LowCut : area_.HighCut) = v;
    sv::setSliderQuietly(bar, v);
    if (low) TrackBar1Change();
    else TrackBar2Change();
}

void TAdvancedFilterfrm::Edit1KeyPress() { takeCut(Edit1, TrackBar1, true); }
void TAdvancedFilterfrm::Edit2KeyPress() { takeCut(Edit2, TrackBar2, false); }
void TAdvancedFilterfrm::Edit1Exit() { takeCut(Edit1, TrackBar1, true); }
void TAdvancedFilterfrm::Edit2Exit() { takeCut(Edit2, TrackBar2, false); }

void TAdvancedFilterfrm::ComboBox1Change() { recomputeSizes(); }
void TAdvancedFilterfrm::ComboBox2Change() { recomputeSizes(); }

void TAdvancedFilterfrm::ComboBox3Change() {
    if (const int32_t w = windowTypeOf(ComboBox3->currentText())) area_.WindowType = w;
}

bool TAdvancedFilterfrm::eventFilter(QObject* watched, QEvent* event) {
    // ComboBox4KeyPress: typing never picks a stored filter; only choosing
    // one from the list does.
    if (watched == ComboBox4 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && key->text().at(0).isPrint()) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAdvancedFilterfrm::CarregaFiltres() {
    sv::ensureStoredFiltersFolder();
    const std::vector<std::string> names = sv::listStoredFilters(sv::storedFiltersFolder());
    // An emptied folder empties the list too: a name left in it would only
    // lead to a file that is gone.
    ComboBox4->clear();
    for (const std::string& n : names) ComboBox4->addItem(QString::fromStdString(n));
    ComboBox4->setCurrentIndex(-1);
}

sv::StoredFilterRecord TAdvancedFilterfrm::recordFromControls() const {
    sv::StoredFilterRecord r;
    r.low = TrackBar1->value();
    r.high = TrackBar2->value();
    r.action = RadioGroup1->ItemIndex();
    r.sizeIndex = ComboBox1->currentIndex();
    r.overlapIndex = ComboBox2->currentIndex();
    r.ratio = TrackBar3->value();
    r.windowIndex = ComboBox3->currentIndex();
    return r;
}

void TAdvancedFilterfrm::applyRecord(const sv::StoredFilterRecord& r) {
    Edit1->setText(QString::number(r.low));
    Edit1Exit();
    Edit2->setText(QString::number(r.high));
    Edit2Exit();
    setActionIndex(r.action);
    ComboBox1->setCurrentIndex(r.sizeIndex);
    ComboBox2->setCurrentIndex(r.overlapIndex);
    recomputeSizes();
    ComboBox3->setCurrentIndex(r.windowIndex);
    ComboBox3Change();
    sv::setSliderQuietly(TrackBar3, r.ratio);
    TrackBar3Change();
}

void TAdvancedFilterfrm::warnFileError(int error) {
    sv::prompts().messageBox("Warning", "Error " + std::to_string(error) + " accessing the file, try another name.",
                             sv::Buttons::Ok, sv::Icon::Warning);
}

namespace {

// Runs a read or write of a stored filter and shows its failure: the
// errno of a file that could not be opened or created goes to `warn`, a
// fault of the file itself to the error box. True when it worked.
template <typename Fn, typename Warn>
bool storedFilterDone(Fn&& fn, Warn&& warn) {
    int error = 0;
    try {
        error = fn();
    } catch (const sv::FileIOError& e) {
        sv::prompts().messageBox(sv::applicationTitle(), e.what(), sv::Buttons::Ok, sv::Icon::Error);
        return false;
    }
    if (error) warn(error);
    return error == 0;
}

// The stored-filter file named in a save dialog with this title, always
// with the ".svf" extension; "" when the dialog was cancelled.
std::string chooseFilterFile(const char* title) {
    sv::FileDialogRequest req;
    req.title = title;
    req.filter = kFilterFiles;
    req.initialDir = sv::storedFiltersFolder();
    const sv::FileDialogResult chosen = sv::prompts().saveDialog(req);
    if (!chosen.accepted || chosen.fileName.empty()) return {};
    return sv::forceExtension(chosen.fileName, ".svf");
}

} // namespace

void TAdvancedFilterfrm::ComboBox4Change() {
    const std::string name = ComboBox4->currentText().toStdString();
    if (name.empty()) return;
    sv::StoredFilterRecord r;
    const std::string path = sv::storedFilterPath(sv::storedFiltersFolder(), name);
    if (storedFilterDone([&] { return sv::readStoredFilter(path, r); }, [this](int e) { warnFileError(e); }))
        applyRecord(r);
}

void TAdvancedFilterfrm::SpeedButton1Click() {
    const std::string path = chooseFilterFile("Store Sonvela Filter");
    if (!path.empty()) {
        const sv::StoredFilterRecord r = recordFromControls();
        if (sv::fileExists(path) &&
            sv::prompts().messageBox("Sonvela", "The file already exists. Do you want to replace it?",
                                     sv::Buttons::YesNo, sv::Icon::Question) != sv::mrYes)
            return;
        if (!storedFilterDone([&] { return sv::writeStoredFilter(path, r); }, [this](int e) { warnFileError(e); }))
            return;
    }
    FormActivate();
}

void TAdvancedFilterfrm::SpeedButton2Click() {
    const std::string path = chooseFilterFile("Delete Sonvela Filter");
    if (!path.empty()) {
        if (sv::fileExists(path)) {
            if (sv::prompts().messageBox("Sonvela", "Are you sure that you want to delete this filter?",
                                         sv::Buttons::YesNo, sv::Icon::Question) != sv::mrYes)
                return;
            sv::deleteFile(path);
        }
    }
    FormActivate();
}

void TAdvancedFilterfrm::plotSpectrum(bool logarithmic) {
    if (logarithmic ? area_.ShowLog : area_.ShowLinear) return;
    {
        sv::BusyGuard busy;
        // Once per showing: the selection does not change while the dialog
        // is open.
        if (!area_.SpectrumReady) mostrar_transf_fft(SVMainfrm);
    }
    area_.SpectrumReady = 1;
    area_.ShowLinear = logarithmic ? 0 : 1;
    area_.ShowLog = logarithmic ? 1 : 0;
    dibuixar_frec();
}

void TAdvancedFilterfrm::Button3Click() { plotSpectrum(false); }
void TAdvancedFilterfrm::Button4Click() { plotSpectrum(true); }

void TAdvancedFilterfrm::dibuixar_frec() {
    if (area_.ShowLinear || area_.ShowLog) {
        plot_ = sv::spectrumPlot(area_.AverageSpectrum, area_.ShowLog != 0);
        Label7->setText(QStringLiteral("Max value= ") + QString::number(plot_.maxValue));
    }
    update();
}

int TAdvancedFilterfrm::plotLeft() const { return Bevel1->x() + 2; }
int TAdvancedFilterfrm::baseline() const { return Bevel2->y(); }

void TAdvancedFilterfrm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    FormPaint(p);
}

void TAdvancedFilterfrm::FormPaint(QPainter& p) {
    if (!area_.ShowLinear && !area_.ShowLog) return;
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), 1));   // navy
    const int x0 = plotLeft(), y0 = baseline();
    for (int i = 1; i <= sv::kPlotEntries; ++i) {
        const int x = x0 + sv::plotColumn(i);
        p.drawLine(x, y0, x, y0 - plot_.heights[size_t(i - 1)]);
    }
}
