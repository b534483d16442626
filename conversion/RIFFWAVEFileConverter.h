// "WAV File Converter": converts a RIFF WAVE file of any format a codec
// reads into a new file of a chosen format, with a percentage and two level
// bars while it runs. Opened empty from the main window, or pre-filled by a
// sound window that cannot read a file's format itself (see
// convertForSoundWindow).
#pragma once
#include <QDialog>
#include <memory>
#include <string>

#include "conversion/kaACM.h"
#include "conversion/kaAudioControls.h"
#include "conversion/kaAudioStreams.h"
#include "conversion/kaCommon.h"
#include "platform/prompts.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace sv { class SafeFileWriter; }

class TRIFFWaveFileconverterfrm : public QDialog {
    Q_OBJECT
public:
    explicit TRIFFWaveFileconverterfrm(QWidget* parent = nullptr);
    ~TRIFFWaveFileconverterfrm() override;

    QLabel* Label1;
    QLabel* Label4;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* edSource;
    QLineEdit* edSourceFormat;
    QLineEdit* edDest;
    QLineEdit* edDestFormat;
    QToolButton* btnselectsource;
    QToolButton* btnselectdest;
    QToolButton* btnselectDestformat;
    QToolButton* SpeedButton44;
    QPushButton* btnStart;
    QPushButton* btnStop;
    QProgressBar* pbPeakLeft;
    QProgressBar* pbPeakRight;
    QLabel* lblPercent;
    sv::TkaOscilloscope* kaOscilloscope3;
    QStatusBar* StatusBar1;
    sv::FileDialogRequest odSelectSource;
    sv::FileDialogRequest sdSelectDest;

    // The converter is declared before the level source that observes it.
    sv::TkaAudioConvertor kaAudioConvertor1;
    sv::TkaAudioControlSource kaAudioControlSource1;

    std::string DestFileName;
    bool Running = false;
    bool RawOutput = false;

    // Reads the source's format and proposes 16-bit PCM of the same
    // channels and rate. Errors (a missing file, "Invalid file format.")
    // reach the caller.
    void ActualitzaFormatsIBotons();
    void UpdateControls();

    void btnSelectSourceClick();
    void btnSelectDestClick();
    void btnSelectDestFormatClick();
    // Runs the whole conversion; the dialog then closes with ModalResult().
    void btnStartClick();
    void btnStopClick();
    void SpeedButton44Click();
    bool FormCloseQuery();

    // The result the dialog closes (or closed) with: 1 only after a
    // conversion that ran to its end; 2 otherwise.
    int ModalResult() const { return modalResult_; }
    // True while steps of a conversion are under way (a close then waits).
    bool Converting() const { return converting_; }

public slots:
    void done(int r) override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void FormCreate();
    void kaAudioConvertor1AudioConverted(const void* audioData, int32_t audioDataSize, bool& abort);
    void kaAudioConvertor1AudioStreamConverted();
    void kaAudioControlSource1DataChanged();
    void runConversion();
    void releaseConversion(bool keepOutput);
    // Why the source (of this format) cannot become the destination format,
    // naming both; empty when a chain converts it.
    std::string cannotConvert(const sv::TkaWaveFormat& source) const;
    // The same for the named source file as it is now; empty also when it
    // cannot be read (the conversion reports that).
    std::string sourceCannotConvert() const;

    // What a conversion holds until it ends, freed in this order: data
    // stream, reader, writer, destination, source.
    std::unique_ptr<sv::FileByteStream> source_;
    std::unique_ptr<sv::SafeFileWriter> destFile_;
    std::unique_ptr<sv::FileByteStream> dest_;
    std::unique_ptr<sv::TkaRIFFAudioReader> reader_;
    std::unique_ptr<sv::TkaRIFFAudioWriter> writer_;
    sv::TkaSubStream* data_ = nullptr;   // owned by reader_ until deleted
    int64_t outputBytes_ = 0;       // converted bytes handed to the destination
    int64_t sourceDataBytes_ = 0;   // the source's audio data
    // The destination whose replacement the user already agreed to in the
    // save dialog; any other existing destination is asked about at Convert.
    std::string replaceAgreed_;

    bool converting_ = false;
    int modalResult_ = sv::mrCancel;
};

namespace sv {

// The main window's "WAV File Format Converter": the dialog, empty, shown
// modally and freed.
void runWaveFileConverter(QWidget* parent);

// A sound window's conversion of a WAVE file it cannot read: the dialog
// pre-filled to write "<name without extension>_PCM.wav" as 16-bit PCM of
// the source's channels and rate. Returns that name when the conversion ran
// to its end, "" when it was cancelled, refused or failed (failures are
// reported here).
std::string convertForSoundWindow(QWidget* owner, const std::string& fileName);

// The destination a sound window proposes: the name without its extension,
// "_PCM", ".wav".
std::string pcmCopyName(const std::string& fileName);

// Tests: called with the pre-filled dialog instead of exec(); returns the
// modal result as the user's actions would have left it. Empty restores
// the modal loop.
void setConverterDriver(std::function<int(TRIFFWaveFileconverterfrm&)> driver);

} // namespace sv
