#include "conversion/RIFFWAVEFileConverter.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

#include "dialogs/ParamDialog.h"
#include "platform/codec/codec.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/qt/qt_prompts.h"

using namespace sv;

namespace {

const char* const kNoDestFormat = "Please select a Valid Destination File Format";
const char* const kNotMp3 =
    "You have selected an Mp3 file extension, but I do not recognise the output format as Mp3, are you sure you "
    "wish to continue?";
const char* const kReplace = "The file already exists. Do you want to replace it?";
const char* const kNotEnoughMemory = "Not enough memory for this operation.";

std::function<int(TRIFFWaveFileconverterfrm&)> g_driver;

void reportError(const std::string& text) {
    prompts().messageBox(applicationTitle(), text, Buttons::Ok, Icon::Error);
}

// Runs fn and reports what it raised with the standard error box; true
// when it returned normally.
template <typename Fn>
bool reported(Fn&& fn) {
    try {
        fn();
        return true;
    } catch (const std::bad_alloc&) {
        reportError(kNotEnoughMemory);
    } catch (const std::exception& e) {
        reportError(e.what());
    }
    return false;
}

std::unique_ptr<FileByteStream> openSource(const std::string& name) {
    auto s = FileByteStream::OpenRead(name);
    if (!s) throw FileIOError("Cannot open file \"" + name + "\". " + std::strerror(errno), errno);
    return s;
}

// A format as the dialog shows it: the codecs' description, or, for one no
// codec here reads, its tag and shape, so the field is never blank.
std::string formatName(const TkaWaveFormat& f) {
    std::string text = f.FormatText();
    if (!text.empty()) return text;
    char buf[128];
    std::snprintf(buf, sizeof buf, "Unknown format (tag 0x%04X): %u Hz, %u Bit, %u channel%s", f.FormatTag(),
                  f.SamplesPerSec(), f.BitsPerSample(), f.Channels(), f.Channels() == 1 ? "" : "s");
    return buf;
}

QToolButton* flatButton(QWidget* parent, const char* text, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAutoRaise(true);
    return b;
}

// A field that shows the start of its text, cut at the end with an
// ellipsis when the field is too narrow. A plain line edit puts its cursor
// at the end of a text set into it and scrolls there, so a long format
// description would show only its tail. Drawn where and as a line edit
// draws its text, so it lines up with the plain fields beside it.
class StartShownField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
        const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
        p.setClipRect(r);
        const QFontMetrics fm = fontMetrics();
        const int height = std::max(fm.boundingRect(text()).height(), fm.height());
        // A line edit's margins around its text: 2 pixels at each side.
        const QRect line(r.x() + 2, r.y() + (r.height() - height + 1) / 2, r.width() - 4, height);
        p.setPen(palette().text().color());
        p.drawText(QPoint(line.x(), line.y() + fm.ascent()), fm.elidedText(text(), Qt::ElideRight, line.width()));
    }
};

QLineEdit* shownField(QWidget* parent, bool startShown = false) {
    auto* e = startShown ? new StartShownField(parent) : new QLineEdit(parent);
    e->setReadOnly(true);
    e->setEnabled(false);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

} // namespace

namespace {

// No codec here knows the designed speech format, and a destination format
// nobody describes stops Convert at once. Its nearest that a codec here
// writes: IMA ADPCM of the same mono 8000 Hz, else 16-bit PCM of that shape.
void useWritableDefault(TkaWaveFormat& out) {
    uint8_t pcm[codec::kFormatHeaderSize] = {0};
    codec::writeFields(pcm, codec::FormatFields{codec::kTagPcm, 1, 8000, 16000, 2, 16, 0});
    std::memset(out.FormatRecord(), 0, TkaWaveFormat::kBufferSize);
    out.SetFormatTag(codec::kTagImaAdpcm);
    if (codec::formatSuggest(pcm, out.FormatRecord(), TkaWaveFormat::kBufferSize, codec::kSuggestTag) != codec::kOk)
        std::memcpy(out.FormatRecord(), pcm, sizeof pcm);
}

} // namespace

TRIFFWaveFileconverterfrm::TRIFFWaveFileconverterfrm(QWidget* parent) : QDialog(parent) {
    setObjectName("RIFFWaveFileconverterfrm");
    setWindowTitle("WAV File Converter");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setSizeGripEnabled(false);

    Label1 = new QLabel("Source File", this);
    Label4 = new QLabel("Source Format", this);
    Label2 = new QLabel("Destination File", this);
    Label3 = new QLabel("Dest Format", this);
    edSource = shownField(this);
    // Paths show their end (the file's name); format descriptions their start.
    edSourceFormat = shownField(this, true);
    edDest = shownField(this);
    edDestFormat = shownField(this, true);
    // Room for the description of a stereo ADPCM or MPEG format at 44100 Hz.
    const int formatRoom =
        edSourceFormat->fontMetrics().horizontalAdvance("IMA ADPCM: 44100 Hz, 4 Bit, Stereo, 44359 bytes/s") + 12;
    btnselectsource = flatButton(this, "...", "Select Source File Name");
    btnselectdest = flatButton(this, "...", "Select Destination File Name");
    btnselectDestformat = flatButton(this, "...", "Select Destination Format");
    SpeedButton44 = flatButton(this, "Exit", "Exit");
    btnStart = new QPushButton("Convert", this);
    btnStop = new QPushButton("Stop", this);
    makePlainButton(btnStart);
    makePlainButton(btnStop);
    btnStop->setEnabled(false);
    pbPeakLeft = new QProgressBar(this);
    pbPeakRight = new QProgressBar(this);
    for (QProgressBar* b : {pbPeakLeft, pbPeakRight}) {
        b->setRange(0, 32768);
        b->setValue(0);
        b->setTextVisible(false);
        b->setFixedHeight(10);
    }
    lblPercent = new QLabel(this);
    lblPercent->setAlignment(Qt::AlignCenter);
    QFont big = lblPercent->font();
    big.setBold(true);
    big.setPixelSize(19);
    lblPercent->setFont(big);
    lblPercent->setStyleSheet("color: navy;");

    kaOscilloscope3 = new TkaOscilloscope(this);
    kaOscilloscope3->SetNumberOfPoints(200);
    kaOscilloscope3->SetPenLeft(QPen(QColor(0, 255, 0), 1, Qt::SolidLine));
    kaOscilloscope3->SetPenRight(QPen(QColor(255, 0, 0), 1, Qt::SolidLine));
    kaOscilloscope3->SetColor(palette().color(QPalette::Button));
    kaOscilloscope3->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    auto* panel = new QLabel(StatusBar1);
    panel->setFixedWidth(50);
    StatusBar1->addWidget(panel);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edSource, 0, 1);
    grid->addWidget(btnselectsource, 0, 2);
    grid->addWidget(Label4, 1, 0);
    // The four fields share one column, whose width holds a format's
    // description, so their edges line up at every width (the source
    // format has no button beside it).
    grid->addWidget(edSourceFormat, 1, 1);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(edDest, 2, 1);
    grid->addWidget(btnselectdest, 2, 2);
    grid->addWidget(Label3, 3, 0);
    grid->addWidget(edDestFormat, 3, 1);
    grid->addWidget(btnselectDestformat, 3, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, formatRoom);
    auto* bars = new QVBoxLayout;
    bars->addWidget(pbPeakLeft);
    bars->addWidget(pbPeakRight);
    auto* row = new QHBoxLayout;
    row->addWidget(btnStart);
    row->addWidget(btnStop);
    row->addLayout(bars, 1);
    row->addWidget(lblPercent);
    row->addWidget(SpeedButton44);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 0);
    box->addLayout(grid);
    box->addLayout(row);
    box->addWidget(kaOscilloscope3);
    box->addWidget(StatusBar1);
    // The designed width, or what the format boxes need.
    const int least = std::max(335, box->totalMinimumSize().width());
    setMinimumWidth(least);
    resize(least, 210);

    odSelectSource.title = "Select source file";
    odSelectSource.filter = "RIFF files (*.wav)|*.wav";
    odSelectSource.defaultExt = "wav";
    sdSelectDest.title = "Select destination file";
    sdSelectDest.filter = "RIFF files (*.wav)|*.wav|Mp3 files (*.mp3)|*.mp3";
    sdSelectDest.defaultExt = "wav";

    // Design-time formats: 8-bit mono PCM at 11025 Hz in, and out a 1-bit
    // 8000 Hz speech format whose record carries 32 extra bytes.
    TkaWaveFormat& in = kaAudioConvertor1.FormatIn();
    in.SetFormatTag(1);
    in.SetChannels(1);
    in.SetSamplesPerSec(11025);
    in.SetAvgBytesPerSec(11025);
    in.SetBlockAlign(1);
    in.SetBitsPerSample(8);
    in.SetExtraSize(0);
    TkaWaveFormat& out = kaAudioConvertor1.FormatOut();
    std::memset(out.FormatRecord(), 0, TkaWaveFormat::kBufferSize);
    out.SetFormatTag(34);
    out.SetChannels(1);
    out.SetSamplesPerSec(8000);
    out.SetAvgBytesPerSec(1067);
    out.SetBlockAlign(32);
    out.SetBitsPerSample(1);
    out.SetExtraSize(32);
    const uint8_t extra[4] = {0x01, 0x00, 0xF0, 0x00};
    std::memcpy(out.FormatRecord() + 18, extra, sizeof extra);
    if (out.FormatText().empty()) useWritableDefault(out);

    kaAudioControlSource1.SetAudioSource(&kaAudioConvertor1);
    kaOscilloscope3->SetAudioControlSource(&kaAudioControlSource1);
    kaAudioConvertor1.OnAudioConverted = [this](TkaAudioConvertor*, const void* d, int32_t n, bool& abort) {
        kaAudioConvertor1AudioConverted(d, n, abort);
    };
    kaAudioConvertor1.OnAudioStreamConverted = [this](TkaAudioConvertor*) { kaAudioConvertor1AudioStreamConverted(); };
    kaAudioControlSource1.OnDataChanged = [this](TkaAudioControlSource*) { kaAudioControlSource1DataChanged(); };

    connect(btnselectsource, &QToolButton::clicked, this, [this] { btnSelectSourceClick(); });
    connect(btnselectdest, &QToolButton::clicked, this, [this] { btnSelectDestClick(); });
    connect(btnselectDestformat, &QToolButton::clicked, this, [this] { btnSelectDestFormatClick(); });
    connect(SpeedButton44, &QToolButton::clicked, this, [this] { SpeedButton44Click(); });
    connect(btnStart, &QPushButton::clicked, this, [this] { btnStartClick(); });
    connect(btnStop, &QPushButton::clicked, this, [this] {
        btnStopClick();
        done(mrCancel);
    });

    FormCreate();
}

TRIFFWaveFileconverterfrm::~TRIFFWaveFileconverterfrm() {
    // The oscilloscope lets go of the level source before members go.
    kaOscilloscope3->SetAudioControlSource(nullptr);
    releaseConversion(false);
}

void TRIFFWaveFileconverterfrm::FormCreate() {
    DestFileName.clear();
    UpdateControls();
    edDestFormat->setText(qs(kaAudioConvertor1.FormatOut().FormatText()));
}

void TRIFFWaveFileconverterfrm::UpdateControls() {
    btnStart->setEnabled(!edSource->text().isEmpty() && !edDest->text().isEmpty() && !Running);
    btnStop->setEnabled(Running);
    btnselectsource->setEnabled(!Running);
    btnselectdest->setEnabled(!Running);
    btnselectDestformat->setEnabled(!Running);
    pbPeakLeft->setValue(0);
    pbPeakRight->setValue(0);
    kaOscilloscope3->hide();
}

void TRIFFWaveFileconverterfrm::ActualitzaFormatsIBotons() {
    if (edSource->text().isEmpty()) return;
    auto file = openSource(ss(edSource->text()));
    TkaRIFFAudioReader reader(file.get());
    const TkaWaveFormat& src = reader.GetFormat();
    edSourceFormat->setText(qs(formatName(src)));
    const uint16_t channels = src.Channels();
    const uint32_t rate = src.SamplesPerSec();
    uint8_t record[18];
    const auto put16 = [&](int at, uint32_t v) {
        record[at] = static_cast<uint8_t>(v);
        record[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(0, 1);
    put16(2, channels);
    put16(4, rate);
    put16(6, rate >> 16);
    const uint32_t avg = rate * channels * 2u;
    put16(8, avg);
    put16(10, avg >> 16);
    put16(12, channels * 2u);
    put16(14, 16);
    put16(16, 0);
    TkaWaveFormat& out = kaAudioConvertor1.FormatOut();
    out.SetFormatTag(1);
    out.AssignRecord(record);
    edDestFormat->setText(qs(out.FormatText()));
    UpdateControls();
    const std::string why = cannotConvert(src);
    if (!why.empty()) throw EACMConversionError(why);
}

std::string TRIFFWaveFileconverterfrm::cannotConvert(const TkaWaveFormat& source) const {
    const TkaWaveFormat& out = kaAudioConvertor1.FormatOut();
    const std::string refusal =
        "\"" + ss(edSource->text()) + "\" (" + formatName(source) + ") cannot be converted to " + formatName(out);
    if (!kaAudioConvertor1.CanConvert(source, out))
        return refusal + (codec::canRead(source.FormatRecord()) ? "." : ": no codec here reads its format.");
    // The codecs take any byte rate, but the conversion sizes its blocks by
    // it; the format's description in the message shows the rate.
    if (!TkaAudioConvertor::StreamByteRate(source)) return refusal + ": its byte rate is impossible (it may be damaged).";
    return std::string();
}

void TRIFFWaveFileconverterfrm::btnSelectSourceClick() {
    FileDialogResult r = prompts().openDialog(odSelectSource);
    if (!r.accepted) return;
    std::string why;
    reported([&] {
        auto file = openSource(r.fileName);
        TkaRIFFAudioReader reader(file.get());
        edSourceFormat->setText(qs(formatName(reader.GetFormat())));
        edSource->setText(qs(r.fileName));
        why = cannotConvert(reader.GetFormat());
    });
    UpdateControls();
    // Said now, not first at Convert; the source stays, so its format is
    // there to read.
    if (!why.empty()) reportError(why);
}

void TRIFFWaveFileconverterfrm::btnSelectDestClick() {
    FileDialogResult r = prompts().saveDialog(sdSelectDest);
    if (!r.accepted) return;
    if (fileExists(r.fileName) && !askYesNo(sdSelectDest.title, kReplace, Icon::Warning)) return;
    replaceAgreed_ = r.fileName;
    edDest->setText(qs(r.fileName));
    DestFileName = r.fileName;
    UpdateControls();
}

void TRIFFWaveFileconverterfrm::btnSelectDestFormatClick() {
    TkaWaveFormat& out = kaAudioConvertor1.FormatOut();
    if (!DestFileName.empty()) {
        out.SetFormatTag(1);
        edDestFormat->setText(qs(out.FormatText()));
    }
    bool chosen = false;
    reported([&] {
        chosen = out.Choose("Select output format");
        if (chosen) edDestFormat->setText(qs(out.FormatText()));
    });
    if (chosen) {
        const std::string why = sourceCannotConvert();
        if (!why.empty()) reportError(why);
    }
}

std::string TRIFFWaveFileconverterfrm::sourceCannotConvert() const {
    if (edSource->text().isEmpty()) return std::string();
    // A source that cannot be read is the conversion's to report.
    try {
        auto file = openSource(ss(edSource->text()));
        TkaRIFFAudioReader reader(file.get());
        return cannotConvert(reader.GetFormat());
    } catch (const std::exception&) {
        return std::string();
    }
}

void TRIFFWaveFileconverterfrm::btnStartClick() {
    modalResult_ = mrOk;
    // A refusal keeps the dialog open so that the user can do what the
    // message asks.
    if (edDestFormat->text().isEmpty()) {
        ShowMessage(kNoDestFormat);
        return;
    }
    RawOutput = sameTextNoCase(extractFileExt(ss(edDest->text())), ".Mp3");
    const uint16_t tag = kaAudioConvertor1.FormatOut().FormatTag();
    if (RawOutput && tag != 0x50 && tag != 0x55 && !askYesNo("Confirm", kNotMp3)) return;
    // A destination proposed by the program (a sound window's "_PCM" copy)
    // may be a file of the user's: it is replaced only after the question.
    const std::string dst = ss(edDest->text());
    if (dst != replaceAgreed_ && fileExists(dst) && !askYesNo(sdSelectDest.title, kReplace, Icon::Warning)) return;
    replaceAgreed_ = dst;   // a file this dialog writes is not asked about again
    // A pair no chain converts is refused before anything is written, and
    // the dialog stays for another choice.
    const std::string why = sourceCannotConvert();
    if (!why.empty()) {
        modalResult_ = mrCancel;
        reportError(why);
        return;
    }

    converting_ = true;
    Running = true;
    UpdateControls();
    outputBytes_ = 0;
    bool ok = false;
    std::string failure;
    try {
        runConversion();
        ok = true;
    } catch (const std::bad_alloc&) {
        failure = kNotEnoughMemory;
    } catch (const EACMError& e) {
        // The codecs' and the conversion library's words name no file.
        std::string why = e.what();
        if (!why.empty() && why.back() == '.') why.pop_back();
        failure = "\"" + dst + "\" was not written: converting \"" + ss(edSource->text()) + "\" failed: " + why + ".";
    } catch (const std::exception& e) {
        failure = e.what();
    }
    const bool stopped = !Running;
    Running = false;
    UpdateControls();
    // Data that decodes to nothing (damaged frames, an empty data chunk)
    // makes no file at all: a header without sound is no conversion.
    if (ok && outputBytes_ == 0) {
        failure = "\"" + dst + "\" was not written: " +
                  (sourceDataBytes_ > 0 ? "no sound could be decoded from the audio data of \"" + ss(edSource->text()) +
                                              "\" (it may be damaged)."
                                        : "\"" + ss(edSource->text()) + "\" holds no audio data.");
        ok = false;
    }
    // A stopped conversion keeps what it wrote, as a file with its sizes
    // fixed; a failed one leaves any earlier file of that name untouched.
    try {
        releaseConversion(ok);
    } catch (const std::exception& e) {
        if (ok) failure = e.what();
        ok = false;
    }
    converting_ = false;
    if (!failure.empty()) reportError(failure);
    // Said only once the file is whole and in place.
    if (ok) ShowMessage("Complete");
    // Only a conversion that ran to its end closes with OK: the sound window
    // opens the destination on OK.
    if (!ok || stopped) modalResult_ = mrCancel;
    done(modalResult_);
}

void TRIFFWaveFileconverterfrm::runConversion() {
    const std::string src = ss(edSource->text());
    const std::string dst = ss(edDest->text());
    source_ = openSource(src);
    destFile_ = std::make_unique<SafeFileWriter>();
    if (int err = destFile_->open(dst)) {
        destFile_.reset();
        throw FileIOError("Cannot create file \"" + dst + "\". " + std::strerror(err), err);
    }
    // Named for the user's file, not the temporary one beside it.
    dest_ = std::make_unique<FileByteStream>(destFile_->file(), false, dst);
    reader_ = std::make_unique<TkaRIFFAudioReader>(source_.get());
    sourceDataBytes_ = reader_->DataSize();
    writer_ = std::make_unique<TkaRIFFAudioWriter>(dest_.get());
    writer_->SetFormat(kaAudioConvertor1.FormatOut());
    kaAudioConvertor1.SetFormatIn(reader_->GetFormat());
    kaAudioConvertor1.Open();
    data_ = reader_->DataStream();
    kaAudioConvertor1.ConvertStream(*data_);
}

void TRIFFWaveFileconverterfrm::releaseConversion(bool keepOutput) {
    delete data_;
    data_ = nullptr;
    reader_.reset();
    std::exception_ptr failure;
    if (writer_) {
        if (keepOutput) {
            try {
                writer_->Close();
            } catch (...) {
                failure = std::current_exception();
                keepOutput = false;
            }
        }
        writer_.reset();
    }
    dest_.reset();
    if (destFile_) {
        if (keepOutput) {
            try {
                destFile_->commit();
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
        }
        destFile_.reset();   // removes the partial file when not committed
    }
    source_.reset();
    if (kaAudioConvertor1.Active()) kaAudioConvertor1.Close();
    if (failure) std::rethrow_exception(failure);
}

void TRIFFWaveFileconverterfrm::btnStopClick() {
    Running = false;
    UpdateControls();
}

void TRIFFWaveFileconverterfrm::SpeedButton44Click() { done(mrCancel); }

bool TRIFFWaveFileconverterfrm::FormCloseQuery() {
    Running = false;
    return true;
}

void TRIFFWaveFileconverterfrm::done(int r) {
    // During a conversion a close only sets the result: the dialog goes once
    // the Convert handler has returned.
    if (converting_) {
        modalResult_ = modalResultFrom(r);
        return;
    }
    modalResult_ = modalResultFrom(r);
    FormCloseQuery();
    QDialog::done(modalResult_);
}

void TRIFFWaveFileconverterfrm::closeEvent(QCloseEvent* e) {
    if (converting_) {
        modalResult_ = mrCancel;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TRIFFWaveFileconverterfrm::kaAudioConvertor1AudioConverted(const void* audioData, int32_t audioDataSize,
                                                                bool& abort) {
    if (RawOutput) dest_->WriteBuffer(audioData, audioDataSize);
    else writer_->WriteAudio(audioData, audioDataSize);
    outputBytes_ += audioDataSize;
    if (data_) {
        const int64_t size = data_->Size();
        const int64_t percent = size > 0 ? data_->Position() * 100 / size : 100;
        lblPercent->setText(QString::number(percent) + "%");
    }
    repaint();
    // A press of Stop arrives here; it ends the conversion after this block.
    QCoreApplication::processEvents();
    abort = !Running;
}

// The converter signals the end of the stream also when a block failed or
// nothing came out, and before the file is finished: "Complete" waits for
// the file (btnStartClick).
void TRIFFWaveFileconverterfrm::kaAudioConvertor1AudioStreamConverted() { UpdateControls(); }

void TRIFFWaveFileconverterfrm::kaAudioControlSource1DataChanged() {
    pbPeakLeft->setValue(kaAudioControlSource1.LeftPeak());
    pbPeakRight->setValue(kaAudioControlSource1.RightPeak());
}

namespace sv {

void setConverterDriver(std::function<int(TRIFFWaveFileconverterfrm&)> driver) { g_driver = std::move(driver); }

static int showConverter(TRIFFWaveFileconverterfrm& dlg) {
    if (g_driver) return g_driver(dlg);
    dlg.exec();
    return dlg.ModalResult();
}

void runWaveFileConverter(QWidget* parent) {
    TRIFFWaveFileconverterfrm dlg(parent);
    showConverter(dlg);
}

std::string pcmCopyName(const std::string& fileName) { return nameWithoutExt(fileName) + "_PCM" + ".wav"; }

std::string convertForSoundWindow(QWidget* owner, const std::string& fileName) {
    TRIFFWaveFileconverterfrm dlg(owner);
    dlg.edSource->setText(qs(fileName));
    dlg.DestFileName = pcmCopyName(fileName);
    dlg.edDest->setText(qs(dlg.DestFileName));
    if (!reported([&] { dlg.ActualitzaFormatsIBotons(); })) return std::string();
    if (showConverter(dlg) != mrOk) return std::string();
    return dlg.DestFileName;
}

} // namespace sv
