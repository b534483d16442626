// The window of one open sound. It owns the sound (sv::SoundBuffer), the
// selection and zoom, and calls the engine for every operation; it writes
// the state of its sound into the main window's shared fields.
#pragma once
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"
#include "sound/engine/undo_store.h"
#include "sound/engine/wave_file.h"
#include "sound/status_panels.h"

class TSVMainfrm;
class QFrame;

// Why a command that is enabled does nothing to this sound.
inline constexpr const char* kSelectToFilter = "Please select the part of the sound to filter first.";
inline constexpr const char* kSelectToDenoise = "Please select the part of the sound to denoise first.";

class TSoundfrm : public QWidget {
    Q_OBJECT
public:
    explicit TSoundfrm(QWidget* parent = nullptr);
    ~TSoundfrm() override;

    // Controls.
    QStatusBar* StatusBar1 = nullptr;
    StatusPanel* StatusPanels[6] = {};  // the six status panels
    QScrollBar* ScrollBar1 = nullptr;
    QFrame* Bevel1 = nullptr;           // divider of a stereo display
    QWidget* Shape1 = nullptr;          // selection rectangle
    QFrame* Bevel2 = nullptr;           // cursor line
    QProgressBar* ProgressBar1 = nullptr;
    QWidget* Panel1 = nullptr;          // overview strip
    QLabel* PaintBox1 = nullptr;
    QFrame* LiniaPlay1 = nullptr;
    QTimer* TimerPlay = nullptr;
    QFrame* LiniaPlay2 = nullptr;
    QWidget* PanellDreta = nullptr;     // amplitude ruler
    QLabel* ImatgeDreta = nullptr;
    QWidget* WaveView = nullptr;        // shows WaveBitmap
    QToolButton* boto_gotobegin = nullptr;
    QToolButton* boto_gotoend = nullptr;
    QToolButton* boto_gotocursor = nullptr;
    QToolButton* boto_selectall = nullptr;
    QToolButton* boto_selectnone = nullptr;
    QToolButton* boto_zoomin = nullptr;
    QToolButton* boto_zoomout = nullptr;

    // The sound.
    sv::SoundBuffer Sound;
    sv::SampleFormat& SampleFormat = Sound.format;
    int64_t FrameCount() const { return Sound.frameCount(); }
    int64_t& SelectionStart = Sound.selectionStart;
    int64_t& SelectionLength = Sound.selectionLength;

    // State.
    bool Modified = false;
    bool SoundLoaded = false;
    bool NoRedraw = true;
    int64_t FitZoom = 1;
    QImage WaveBitmap;
    QImage RulerBitmap;
    bool DeviceOpen = false;
    bool Paused = false;
    bool Playing = false;
    int64_t FileSize = 0;
    int64_t Zoom = 1;
    int DoScroll = 1;
    int DisableUndo = 0;
    bool IsNew = true;
    int32_t DefaultInput = -1;
    int32_t DefaultOutput = -1;
    int64_t UndoCounter = 0;
    std::string UndoDescription;
    bool AppExiting = false;
    bool CloseHandled = false;
    bool IsStereo() const { return Sound.format.nChannels == 2; }
    int ZoomDirection = 0;
    int LeftPeak = 0;
    int RightPeak = 0;
    std::string FileName;
    int Tag = 0;
    uint32_t PlayCursorColor = 255;

    // Lifecycle and options.
    void ActualitzarOpcions();
    void ActualitzarCaption() { ActualitzarOpcions(); }
    void progresar(int64_t position, int64_t max);
    void setCaption(const std::string& caption);
    std::string caption() const;

    // WAVE files.
    int seleccionar_wav(const std::string& name);
    void abrir_sonido(const std::string& name);
    // Returns true when the whole file was written.
    bool guardar_como(const std::string& name, bool asWav);
    bool guardar_seleccion(const std::string& name);

    // Display.
    void mostrar_sonido(int64_t zoom);
    int64_t quin_zoom() const { return Zoom; }
    int waveWidth() const;

    // Replaces the whole sound (new sounds, readers): sets FrameCount, the
    // stereo flag and the status panels.
    void adoptSound(sv::SoundBuffer&& s);
    // Sets the selection through the one clamping rule.
    void setSelection(int64_t start, int64_t length);

    // Whether an undo step is there to take back.
    bool undoAvailable() const { return Undo && Undo->habilitomenuundo(); }

    // Set by the main window's close-all so that a cancelled save stops it.
    bool closeAccepted() const { return closeAccepted_; }

    // Closes the window's MDI frame (or the window itself when it has none).
    void closeWindow();
    // Closes the window after a read that failed or was refused.
    void closeFailedOpenPublic() { closeFailedOpen(); }
    // Whether to open a file whose stated data size runs past its end with
    // the samples it has; every reader asks it alike.
    static bool askOpenDamaged();

    // Readers of other formats plug in here: the A-law/mu-law WAVE reader,
    // and the converter that turns a WAVE file of another format into PCM
    // (returns the converted file's name, or "" when cancelled or failed).
    static inline std::function<void(TSoundfrm*, const std::string&, bool muLaw)> lawReaderHook;
    static inline std::function<std::string(TSoundfrm*, const std::string&)> convertHook;

    // ---- display (begin) ----
    // The envelope of one layout, drawn into WaveBitmap at the given zoom.
    void mostrar_sonido_mono_8(int64_t zoom);
    void mostrar_sonido_stereo_8(int64_t zoom);
    void mostrar_sonido_mono_16(int64_t zoom);
    void mostrar_sonido_stereo_16(int64_t zoom);
    void PintarPanellDreta();   // the amplitude ruler and the grid lines
    void pintarpanel1();        // the overview strip
    void FormPaint();
    void ScrollBar1Scroll();
    // The first frame shown at the left edge. The scroll bar counts in int,
    // so for sounds longer than its range one step is several frames; use
    // these rather than ScrollBar1->value() for frame arithmetic.
    int64_t scrollPosition() const;
    // Moves the view without redrawing; clamped to the scroll bar's range.
    void setScrollPosition(int64_t frame);
    // Width of WaveBitmap: the client width, less the ruler when "View Grid"
    // is checked.
    int bitmapWidth() const;
    // Bottom of the drawing area: the scroll bar's top while it is shown,
    // else the overview strip's top.
    int drawingBottom() const;
    // Places the drawing area, the ruler panel and the stereo divider.
    void layoutDisplay();
    // Frames changed in place (effects, an undo step restored over the same
    // buffer): the min/max summary of long sounds is brought up to date for
    // them at the next redraw. A buffer that is replaced or changes length
    // is noticed without a call.
    void samplesChanged(int64_t firstFrame, int64_t frames);
    void allSamplesChanged();
    struct DisplayState;
    std::shared_ptr<DisplayState> display_;
    DisplayState& displayState();
    // ---- display (end) ----

    // ---- selection and navigation (begin) ----
    // The mouse (sound/Sound_select.cpp). The form handlers take x, y in the
    // window's coordinates, the Shape1 handlers relative to the selection
    // rectangle. Every frame they derive goes through setSelection.
    void FormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y);
    void FormMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int y);
    void Shape1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y);
    void Shape1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int y);
    void FormMouseWheelDown();   // zooms in
    void FormMouseWheelUp();     // zooms out
    void StatusBar1MouseMove();
    void StatusBar1DblClick() { seleccionar_todo(); }

    void seleccionar_todo();
    void selectnone();
    void posicion_cursor();
    void posicion_begin();
    void posicion_end();
    void boto_gotobeginClick() { posicion_begin(); }
    void boto_gotocursorClick() { posicion_cursor(); }
    void boto_gotoendClick() { posicion_end(); }
    void boto_selectallClick() { seleccionar_todo(); }
    void boto_selectnoneClick() { selectnone(); }
    void boto_zoominClick();
    void boto_zoomoutClick();

    // Moves the selection's edges to zero crossings: 'l' left, 'r' right,
    // 'n' leaves that edge.
    void zerocrossing(char startMode, char endMode);
    // Shows the value of the sample at the cursor.
    void CurrentSampleValue();

    // A selection dragged (Ctrl + drag of the rectangle) from `source`. The
    // DragOver handlers answer whether a drop is accepted here; a drop asks
    // what to do with TDraganddropfrm and pastes, mixes or moves.
    bool FormDragOver(TSoundfrm* source);
    bool Shape1DragOver(TSoundfrm* source);
    void FormDragDrop(TSoundfrm* source, int x, int y);
    void Shape1DragDrop(TSoundfrm* source, int x, int y);
    // The selection as a new sound window (a drop on the main window).
    void ferDragAsNew();
    // The sound window a drag carrying the selection mime type comes from,
    // or null (also when that window has gone).
    static TSoundfrm* selectionDragSource(const class QMimeData* data, QObject* source);
    // The mime data of a drag of this window's selection.
    class QMimeData* selectionDragData();
    // Runs the drag instead of QDrag::exec when set (tests).
    static inline std::function<void(TSoundfrm*)> dragStartHook;

    // Writes the selection to the main window's boxes, updates the enabling
    // and places the cursor line and the rectangle from the fields.
    void showSelection();
    // The frame under a column of the form, clamped to the sound.
    int64_t frameAtX(int x) const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // Called once by the constructor: mouse tracking, drops, the seven
    // status-bar buttons.
    void setupSelection();
    void placeSelectionLines();
    void setStatusButtonsShown(bool shown);
    bool loopGuard() const;
    bool overShape(const QPoint& p) const;
    void startSelectionDrag();
    enum class Press { None, Form, Shape };
    Press press_ = Press::None;
    QPoint dragOrigin_;
    bool dragPending_ = false;
public:
    // ---- selection and navigation (end) ----

    // ---- playback (begin) ----
    // Play (or resume a paused play), restart at the end in loop mode, stop
    // and pause. Only one sound plays at a time: a start stops whatever
    // plays through TSVMainfrm::parar_todo.
    void reproducir_sonido();
    void reproducir_loop();
    void parar_sonido();
    void pausar_sonido();
    // The device handed a block back: `header` is its place in PlayHeaders
    // (0 or 1). Requeues the next block, or ends or restarts the play.
    void WaveOutDone(int header);
    // Places and shows the play lines and starts TimerPlay.
    void ActivarTimerPlay();
    void TimerPlayTimer();
    // Level meters from the block of PlayHeaders[header].
    void CalculaVumeters(int header);
    // Counters, headers and play-line state (sound/Sound_play.h). Declared
    // after the sound so that it goes first when the window is destroyed.
    struct PlaybackState;
    std::shared_ptr<PlaybackState> playback_;
    PlaybackState& playState();
    // ---- playback (end) ----

    // ---- editing commands and undo (begin) ----
    // The window's own undo steps; replaced when the sound gets a file.
    std::unique_ptr<sv::UndoStore> Undo;
    // Progress and undo hooks for an engine operation on this sound.
    sv::OperationContext editContext();

    // The structural edits. Each returns true when the sound changed; every
    // error is reported here and never leaves the call. Delete and Trim do
    // not redraw: their callers redraw at the main window's zoom.
    bool copiar();
    bool cortar();
    bool borrar(bool saveUndo);
    // Paste and Mix read "wavecopy.tmp"; a clip of another type is only
    // taken after Yes to the format question (No changes nothing).
    bool pegar();
    bool mezclar(double clipWeight, double soundWeight);
    bool insertar_silencio();
    bool repetir_onda();
    bool crop();
    // Takes back the newest undo step.
    bool deshacer();
    // True while an undo step exists; otherwise the main window's undo item
    // reads "&Undo" again.
    bool habilitomenuundo();
    // Asks for the two file names and writes each channel of the selection
    // as a mono WAVE file; true when both were written.
    bool DivideChannels();
    // Fills this fresh window with two mono WAVE files as a stereo sound.
    // On false the failure was reported and the window is closing: the
    // caller must not show it.
    bool CombineChannels(const std::string& leftName, const std::string& rightName);

    // Shared tail of every edit: modified flag, undo caption, sizes, status
    // panels and (unless redraw is false) the redraw.
    void afterEdit(int64_t oldBytes, bool redraw = true);
private:
    // Runs one edit with the error reporting and the after-edit step.
    bool runEdit(bool redraw, const std::function<bool()>& edit);
    bool clipEdit(bool mix, double clipWeight, double soundWeight);
    void showUndoCaption();
public:
    // ---- editing commands and undo (end) ----

    // ---- amplitude effects (begin) ----
    // In-place effects on the selection (sound/Sound_amplitude.cpp). Each
    // writes its undo step, marks the sound modified and redraws only when
    // the samples changed; every error is shown here and never leaves the
    // call. The ones that ask their own dialog change nothing on Cancel.
    void normalizar_onda();
    void amplificar_volumen();
    void fadein();
    void fadeout();
    void forzar_silencio();
    void cambiar_canales();
    void girar_onda();
    void invertir_onda();
    void travelling_stereo();
    void eliminar_offset();
    // threshold and residual in percent, fade in milliseconds.
    void puertas_ruido(int32_t threshold, int32_t fade, int32_t residual);
    void metalizar(uint8_t hard);
    // threshold in 8-bit units (0..127), percent as the effects dialog gives.
    void compresor(int32_t threshold, int32_t percent);
    void distorsion(int32_t threshold, int32_t percent);
    void amplificador(int32_t threshold, int32_t percent);
    // ---- amplitude effects (end) ----

    // ---- spectral operations (begin) ----
    // Runs the spectral engine in a mode over the selection; f1, f2 as the
    // mode reads them. Shows the engine's errors.
    void transformar(const std::string& mode, int32_t f1, int32_t f2);
    void linea_telefonica();
    void Bionic();
    void karaoke();
    // ---- spectral operations (end) ----

    // ---- other file formats (begin) ----
    // (sound/Sound_formats.cpp) Readers fill this fresh window; on failure
    // or cancel they report it, close the window and return false.
    // A-law (muLaw false) or mu-law WAVE file, as 16-bit PCM.
    bool Obrir_law(const std::string& name, bool muLaw);
    // Sun/NeXT ".snd"/".au" file.
    bool abrir_SND(const std::string& name);
    // Headerless samples: asks the format with Tformatselectionfrm.
    bool abrir_raw(const std::string& name);
    // Writers; true when the whole file was written. The name's extension
    // is forced (".wav" for salvar_law, `extension` for salvar_csv). The
    // text writers only export: the program cannot open text again, so the
    // window keeps its own file, name, modified state and panels.
    bool salvar_law(const std::string& name, bool muLaw);
    bool salvar_csv(const std::string& name, char separator, const std::string& extension, char lineEnd);
    // Kept although no command reaches them: an IMA/DVI ADPCM WAVE writer,
    // a plain-text writer of times and values, and an ADPCM opener that
    // reads the header only (into adpcmHeader).
    bool salvar_DVI_ADPCM(const std::string& name);
    bool salvar_ascii(const std::string& name);
    void Obrir_ADPCM(const std::string& name);
    sv::WaveProbe adpcmHeader;
private:
    // The end of every reader: file name, numbering, fitting zoom, panels,
    // redraw.
    void finishFormatOpen(const std::string& name, int64_t fileSize);
    // A written coded WAVE names the window's file; the undo steps stay.
    void afterFormatSave(const std::string& name);
public:
    // ---- other file formats (end) ----

    // ---- filters, noise and analysis (begin) ----
    // In-place filters on the selection (sound/Sound_filters.cpp). Each
    // writes its undo step, marks the sound modified and redraws; every
    // error is shown here and never leaves the call.
    void filtro_mediana();
    void filtre_mediana_millorat();
    void filtro_media();
    void Filtre_Copalta();
    void edge_enhancement();
    void differencefilter();
    // Taps for k-3 .. k+3 (the dialog's percents / 100). A selection of 7
    // frames or fewer is refused with a message.
    void DoCustomizedFilter(const std::array<double, 7>& weights, bool feedback);
    void cuantizador(int32_t step);
    // Noise: each but Soroll asks its level first; Cancel changes nothing.
    void Soroll();
    void sorollgaussia();
    void speckle();
    void sorollrosa();
    // Shows the histogram, mean and variance of the selection.
    void histograma();
    // Takes its undo step before asking; a threshold of 0 then changes
    // nothing more.
    void WaveletDenoising();
    // The equalizer and the voice cleaner over the spectral engine; each
    // asks its own dialog first.
    void Ecualizar();
    void VoiceCleaner();
    // ---- filters, noise and analysis (end) ----

    // ---- time, rate and delay effects (begin) ----
    // Effects that change the timing, rate or length of the sound, and the
    // delay effects (sound/Sound_time.cpp). Those with a dialog ask it
    // first and change nothing on Cancel; every error is shown here.
    void robot();
    void super_separacion();
    void super_separacion2();
    void Eco();
    void Resamplear();
    // ratio 0: the selection, to the length the speed dialog gives. Else the
    // whole sound to Trunc(ratio x FrameCount) frames, with no dialog and,
    // when fromResample, no undo step of its own.
    void cambio_velocidad(bool fromResample, double ratio);
    void Gapper();
    void Groove();
    void Reverberacion();
    void Flanger();
    void Chorus();
    // ---- time, rate and delay effects (end) ----

    // ---- advanced filter (begin) ----
    // Fills the program's average spectrum from the selection (the advanced
    // filter dialog plots it); an empty selection leaves it as it was.
    void mostrar_transf_fft();
    // ---- advanced filter (end) ----

    // ---- information (begin) ----
    // Shows the sound's format, size and file name (sound/Sound_info.cpp).
    void informacion_archivo();
    // ---- information (end) ----

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

public:
    // Event handlers with their form names.
    void FormActivate();
    void FormDeactivate();
    void FormResize();
    void FormKeyPress(int key);
    bool FormCloseQuery();
    // Returns false when the window stays open.
    bool FormClose();

private:
    void layoutControls();
    void placeStatusButtons();
    void updateStatusPanels();
    void copyToMain();
    bool showsInMainWindow() const;
    void copyRateToMain();
    bool saveWithQuestion();
    void deleteUndoFiles();
    void relocateUndo();
    void applyPreferredZoom();
    void resetMainView();
    void closeFailedOpen();
    bool closeAccepted_ = false;
    bool inScrollSync_ = false;
    bool inClose_ = false;
};
