// The main window: a multiple-document frame that owns every sound window,
// keeps the shared view of the active sound in its edit boxes and fields,
// caches the settings that sound windows read, and routes every command to
// the active sound window.
#pragma once
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QMdiArea>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <map>
#include <string>
#include <vector>

class TSoundfrm;
class QMdiSubWindow;
class QFrame;
class QToolBar;
class QKeyEvent;
namespace sv { class IniFile; }

class TSVMainfrm : public QMainWindow {
    Q_OBJECT
public:
    // args: the command-line parameters (without the program name), read
    // before Qt removes its own options.
    explicit TSVMainfrm(std::vector<std::string> args = {}, QWidget* parent = nullptr);
    ~TSVMainfrm() override;

    QMdiArea* mdi = nullptr;

    // Shared view of the active sound.
    QLineEdit* Edit2 = nullptr;   // zoom
    QLineEdit* Edit4 = nullptr;   // selection start
    QLineEdit* Edit3 = nullptr;   // selection length
    QLabel* ms1 = nullptr;
    QLabel* ms2 = nullptr;
    int64_t SoundLength = 0;
    int32_t SampleRate = 0;

    // Cached settings.
    int32_t UndoLevels = 10;
    int PlayFromCursorPosition = 0;
    int32_t VerticalScale = 1;
    uint32_t WaveformColor = 0x800000, BackgroundColor = 0xC0C0C0, CentralLineColor = 0x0000FF,
             StereoColor = 0x00FF00, GridColor = 0x808080, GridPanelBackColor = 0x808080,
             GridPanelFontColor = 0xFFFFFF;

    bool SoundLoaded = false;
    bool SaveDisabled = true;
    bool ContinueClosing = false;
    int32_t NewSoundCount = 0;
    std::string ExeDir;
    std::string RecentFile1, RecentFile2, RecentFile3;
    bool CommandLinePending = true;
    int32_t CdPlayMode = 1;

    // Positions of the seven tool bars of the tool-bar view, in the order
    // they are stored.
    struct PanelPosition { std::string name; int32_t left, top; };
    PanelPosition PanelPositions[7] = {{"PanelFile", 11, 2},  {"PanelHelp", 427, 2}, {"PanelEdit", 11, 31},
                                       {"PanelMisc", 406, 31}, {"PanelTools", 11, 60}, {"PanelFilter", 11, 89},
                                       {"PanelView", 514, 60}};

    // Transport buttons and meters.
    QToolButton* SpeedButton16 = nullptr;  // Play
    QToolButton* SpeedButton14 = nullptr;  // Pause
    QToolButton* SpeedButton17 = nullptr;  // Stop
    QToolButton* SpeedButton15 = nullptr;  // Record
    QWidget* VumeterPanel = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QProgressBar* Gauge2 = nullptr;
    QLabel* Image1 = nullptr;              // loop-mode picture
    QWidget* PanelDeRelleno = nullptr;     // filler panel right of the loop picture
    QWidget* Panel2 = nullptr;             // CD player panel
    QWidget* Panel3 = nullptr;             // picture panel
    QTimer* Timer1 = nullptr;              // CD poll timer

    // Tool buttons by their names, and menu items by their names.
    std::map<std::string, QToolButton*> buttons;
    std::map<std::string, QAction*> items;
    QAction* item(const std::string& name) const;
    QToolButton* button(const std::string& name) const;

    // Menus.
    QMenu* File2 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Herramientas1 = nullptr;
    QMenu* Filtros1 = nullptr;
    QMenu* Miscellaneous1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Window1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* Reabrir1 = nullptr;
    QMenu* Effects1 = nullptr;
    QAction* undo1 = nullptr;
    QAction* ViewGrid1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;
    QAction* Loop1 = nullptr;

    // Reached by sound windows and dialogs.
    void habilitar_botones();
    void parar_todo();
    TSoundfrm* crearfill();
    // The frame size a sound window opens with: wide enough for every
    // status panel, as far as the workspace has the room.
    QSize newWindowSize(const TSoundfrm* w) const;
    int QuantsFitxersIguals(const std::string& name) const;
    void ObrirFitxer(bool showDialog, const std::string& name);
    TSoundfrm* activeSound() const;
    std::vector<TSoundfrm*> soundWindows() const;   // creation order
    int childCount() const;
    // Shows a sound window made by crearfill in the MDI area.
    void showChild(TSoundfrm* w);

    // Commands.
    void Exit2Click();
    void New2Click();
    void Open2Click();
    void Close1Click();
    void Save2Click();
    void SaveAs2Click();
    void SpeedButton12Click();
    void CloseAllWaveforms1Click();
    void SpeedButton16Click();
    void SpeedButton17Click();
    void SpeedButton14Click();

    // Form events.
    void FormActivate();
    bool FormCloseQuery();
    void FormClose();

    // Runs the event loop until the window closes or the session ends
    // (SIGTERM, SIGHUP); an ended session closes every window at once.
    int run();
    // The session is ending: every event loop, modal ones included, is
    // left, and run() then closes the windows without a question.
    void endSession();
    // Closes the sound windows without saving or asking (their undo files
    // go with them), deletes the clipboard file and stores the layout.
    void closeWithoutQuestions();
    void DisplayHint(const QString& hint);

    // The reopen list: shift in a name as the newest entry and store it.
    void shiftRecent(const std::string& name);
    void writeRecent();

    // Runs a command on the active sound window under its guards: with
    // needSelection, only when Edit3 holds a length above 0; with pauseCd,
    // the CD poll timer is off during the command and afterwards runs again
    // only if the CD panel shows. Without a sound window nothing happens.
    void soundCommand(bool needSelection, bool pauseCd, const std::function<void(TSoundfrm*)>& fn);

    // Adds a command to a menu. A null handler leaves the item disabled
    // (the command is not available in this build).
    QAction* addItem(QMenu* menu, const std::string& name, const QString& caption,
                     const QKeySequence& shortcut = {}, std::function<void()> handler = nullptr);
    void setHandler(const std::string& name, std::function<void()> handler);

    // The program is shutting down: no more enabling work.
    bool isClosing() const { return closing_; }
    // An event filter that calls into this window. It is deleted before
    // anything of the window is torn down (which takes it off every object
    // it watches), so no event reaches a window that is going.
    void ownEventFilter(QObject* filter);
    bool hasHandler(const std::string& name) const;
    // Enables an item or button only if its command is available.
    void enableItem(const std::string& name, bool on);
    void enableButton(const std::string& name, bool on);
    QToolButton* addButton(QToolBar* bar, const std::string& name, const QString& text,
                           const QString& hint, const std::string& itemName);
    // Opens a WAVE file in a new window; the window when it opened.
    TSoundfrm* openWave(const std::string& name, bool play);
    // After an open that failed: the window that was in front before it
    // (frontBefore, may be null) is in front again, and the boxes, buttons
    // and menus describe it (the failed window was never activated, so
    // nothing else would re-activate it). loadedBefore is SoundLoaded as
    // it was before the open.
    void showFrontAfterFailedOpen(TSoundfrm* frontBefore, bool loadedBefore);
    // Whether the sound window has a step to undo. The window's own check
    // also enables the Undo item; that item is decided by the Edit menu
    // when it opens, so its state is kept here.
    bool undoStepFor(TSoundfrm* w);

    // Readers for other extensions (".au", ".snd", ".raw"), keyed by the
    // lower-cased extension with its dot.
    std::map<std::string, std::function<void(const std::string&)>> openers;
    // Extra enabling rules run at the end of habilitar_botones:
    // (idle, child, active sound window or null).
    std::vector<std::function<void(bool, bool, TSoundfrm*)>> enablingHooks;
    // The CD player plugs in here.
    std::function<void()> cdStartHook;
    std::function<bool()> cdPlayingHook;
    std::function<void()> cdStopHook;
    // Tool-bar positions are stored here on close.
    std::function<void(sv::IniFile&)> layoutSaveHook;

    // ---- file commands (begin) ----
    // A reader fills a fresh sound window from a file and returns true when
    // the sound is there; on false the window is closed and never shown.
    using SoundReader = std::function<bool(TSoundfrm*, const std::string&)>;
    // Plugs the reader of one extension (lower-cased, with its dot) into
    // `openers`: Open, dropped files, Reopen and the command line reach it.
    void registerReader(const std::string& ext, SoundReader reader);
    // Creates a window captioned with the name, reads it, shows it only when
    // it opened; the shown window, or null.
    TSoundfrm* openWithReader(const SoundReader& reader, const std::string& name);
    // The opener of an extension: a registered one, or the WAVE reader for
    // ".wav"; empty when no reader handles it.
    std::function<void(const std::string&)> openerFor(const std::string& ext);

    // Save As writers of the other formats, keyed by their row of the
    // "Save Waveform" filter (2 u-law, 3 A-law, 4-7 delimited text, 8
    // personalised text). A row appears in the dialog only while its writer
    // is registered. The writer gets the final name (extension already
    // forced) and returns true when the file was written.
    using SoundWriter = std::function<bool(TSoundfrm*, const std::string&)>;
    std::map<int, SoundWriter> saveAsWriters;
    // The "Save Waveform" dialog (SaveDialog1) for a sound window, as Save
    // As and a closing window run it: preset to fileName, the replace
    // question, then the writer of the chosen type. The name written, or
    // empty when nothing was (cancelled, declined or failed); `exported`
    // tells whether it was a type the program cannot open (text), which
    // leaves the sound unsaved.
    std::string runSaveDialog1(TSoundfrm* w, const std::string& fileName, bool* exported = nullptr);
    // The question before a save replaces an existing file; true for Yes.
    static bool askReplace(const std::string& target);

    void Reabrir1Click();
    void reabrir11Click() { reopenEntry(1); }
    void reabrir12Click() { reopenEntry(2); }
    void reabrir13Click() { reopenEntry(3); }
    void reopenEntry(int index);
    void SaveSelection1Click();
    void LoadSelection1Click();
    void Selection1Click();
    void Imprimir1Click();
    void Opcionesimpresora1Click();
    QMenu* Selection1 = nullptr;

    // Files dropped from the desktop, and a sound window's selection dragged
    // onto the frame (it becomes a new sound through dragAsNewHook; the drag
    // carries kSelectionDragMime).
    static constexpr const char* kSelectionDragMime = "application/x-sonvela-selection";
    std::function<void(TSoundfrm*)> dragAsNewHook;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

    // The print and printer set-up dialogs run through these so that tests
    // never block; each returns true when accepted. Both act on one printer
    // kept for the whole run, so set-up choices hold for the next print.
    std::function<bool(class QPrinter&)> printDialogHook;
    std::function<bool(QPrinter&)> printerSetupHook;
    QPrinter& printer();
    std::shared_ptr<QPrinter> printer_;

    // Adds the Miscellaneous > "&Selection" submenu and plugs in the file
    // commands; safe to call more than once.
    friend void installFileCommands(TSVMainfrm* main);

    // Which item of the reopen list was found missing, by its name; shown
    // disabled until the list changes.
    std::string reopenMissing_[3];
    // ---- file commands (end) ----

    // ---- transport and meters (begin) ----
    // The open wave-out handle, copies of the two headers playing and the
    // window that plays them (mainwindow/SonvelaMain_transport.h): kept here
    // so that parar_todo can stop whatever plays, from any window.
    struct TransportState;
    std::shared_ptr<TransportState> transport_;
    TransportState& transport();
    // "&Loop": toggles loop mode and the "LOOP Mode" picture.
    void Loop1Click();
    // ---- transport and meters (end) ----

    // ---- navigation and control state (begin) ----
    // (mainwindow/SonvelaMain_nav.cpp) Key presses in the zoom (Edit2),
    // start (Edit4) and length (Edit3) boxes, by character: 13 for Enter
    // (space counts as Enter). True when the key was used up.
    bool Edit2KeyPress(int key);
    bool Edit4KeyPress(int key);
    bool Edit3KeyPress(int key);
    void Edit4Exit();
    void Edit3Exit();
    void Edit4Change();   // ms1 follows the start box
    void Edit3Change();   // ms2 follows the length box
    // A value typed into the start or length box and not yet applied is
    // applied as leaving the box applies it (with its checks and
    // messages). Runs before a menu's enabling and before a command of a
    // menu, a shortcut, a tool button or a spin arrow, so that these act on
    // what the box shows. False when the typed value was refused (its
    // message shown, the boxes back on the values in force).
    bool applyTypedBox();
    // Space in a box plays, or stops what plays.
    void key_space();
    // The spin buttons beside the boxes (1 zoom, 3 start, 2 length).
    QWidget* SpinButton1 = nullptr;
    QWidget* SpinButton2 = nullptr;
    QWidget* SpinButton3 = nullptr;
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void SpinButton2UpClick();
    void SpinButton2DownClick();
    void SpinButton3UpClick();
    void SpinButton3DownClick();
    // Zoom: the selection to the window, in, out.
    void speedzoomClick();
    void ZoomIn1Click();
    void ZoomOut1Click();
    // "&Zero Crossing": the start's and the end's direction.
    void zeroCrossingCommand(char startMode, char endMode);
    void Inward1Click() { zeroCrossingCommand('r', 'l'); }
    void Outward1Click() { zeroCrossingCommand('l', 'r'); }
    void TotheLeft1Click() { zeroCrossingCommand('l', 'l'); }
    void TotheRight1Click() { zeroCrossingCommand('r', 'r'); }
    void Begintotheleft1Click() { zeroCrossingCommand('l', 'n'); }
    void Endtotheleft1Click() { zeroCrossingCommand('n', 'l'); }
    void BegintotheRight1Click() { zeroCrossingCommand('r', 'n'); }
    void EndtotheRight1Click() { zeroCrossingCommand('n', 'r'); }
    // "&Go to ...", select all and none, the sample report.
    void CursorPosition1Click();
    void Begin1Click();
    void End1Click();
    void Seleccionartodo1Click();
    void SelectNone1Click();
    void CurrentSampleValue1Click();
    // Which parts of the window's top show at its width.
    void FormResize();
    // Shows or hides a control of a tool bar with its action, which the
    // bar's layout follows (a control hidden when it was added, or hidden
    // alone, keeps its action hidden and never shows again).
    static void showInBar(QWidget* w, bool on);
    // ---- navigation and control state (end) ----

    // ---- CD player (begin) ----
    // (mainwindow/SonvelaMain_cd.cpp) The panel Panel2 plays audio CDs
    // through the command strings of platform/cd/cd_commands.h.
    std::vector<QToolButton*> CdTrackButtons;   // [0] is tema, then tracks 2..n
    int32_t CdLengthSeconds = 0;                // 0 when unknown
    int32_t CdPausePosition = 0;                // seconds
    bool CdPaused = false;
    int32_t CdTrackCount = 0;
    std::string MciReturnText;                  // answer of the last command
    std::string MciErrorText;
    int32_t MciLastError = 0;
    // Transport: Stop, Pause, Play, Rewind, Fast Forward, Previous, Next, Eject.
    // "CD Play" enabled means the player is not playing.
    QToolButton *SpeedButton36 = nullptr, *SpeedButton37 = nullptr, *SpeedButton38 = nullptr,
                *SpeedButton39 = nullptr, *SpeedButton40 = nullptr, *SpeedButton41 = nullptr,
                *SpeedButton42 = nullptr, *SpeedButton43 = nullptr;
    // Seconds played, current track, track length, seconds into the track,
    // disc length.
    QLabel *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr, *Label8 = nullptr, *Label10 = nullptr;
    QToolButton* cdmode1 = nullptr;   // one-time play
    QToolButton* cdmode2 = nullptr;   // continuous
    QToolButton* tema = nullptr;      // track 1
    QFrame* Bevel10 = nullptr;
    // The rewind's warning sound; tests count it.
    std::function<void()> cdBeep;
    void SpeedButton10Click();        // shows or hides the panel
    void mostrar_lista_botones();
    void treure_flats_del_CD();
    void cdmode1Click();
    void cdmode2Click();
    void SpeedButton36Click();        // stop
    void SpeedButton37Click();        // pause
    void SpeedButton38Click();        // play
    void SpeedButton39Click();        // rewind
    void SpeedButton40Click();        // fast forward
    void SpeedButton41Click();        // previous track
    void SpeedButton42Click();        // next track
    void SpeedButton43Click();        // eject
    void temaClick(QToolButton* sender);
    void Timer1Timer();
    // ---- CD player (end) ----

    // ---- conversion (begin) ----
    // ---- conversion (end) ----

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void FormCreate();
    void buildMenus();
    void refreshShortcutEnabling(const QKeyEvent& key);
    void buildPanels();
    void readSettings();
    void processCommandLine();
    void File2Click();
    void Edit1Click();
    void Window1Click();
    void Tile1Click();
    void Cascade1Click();
    void MosaicoVertical1Click();   // "&Strip windows"
    void Organzariconos1Click();    // "&Arrange icons"
    void Herramientas1Click();
    void Filtros1Click();
    bool selectionCommandsEnabled() const;
    void refreshReopenMenu();
    bool closeChildren();
    static QString barStyle(uint32_t bgr);
    // Removes the event filters and connections that reach this window.
    void detachFromEvents();
    bool closing_ = false;
    bool sessionEnding_ = false;
    std::vector<QPointer<QObject>> ownedFilters_;
    QPointer<TSoundfrm> lastActive_;   // for its deactivation
    QAction* windowSeparator_ = nullptr;
    std::vector<QAction*> windowListItems_;
    std::map<std::string, std::string> buttonItem_;   // button -> its menu item
    std::vector<std::string> args_;
    std::map<std::string, std::function<void()>> handlers_;
};

// The main window's single instance.
extern TSVMainfrm* SVMainfrm;
