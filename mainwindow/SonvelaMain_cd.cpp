#include "mainwindow/SonvelaMain_cd.h"
#include "mainwindow/SonvelaMain_view.h"

#include <QApplication>
#include <QFrame>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "mainwindow/SonvelaMain.h"
#include "platform/cd/cd_commands.h"
#include "platform/prompts.h"

using namespace sv;

namespace sv {

int32_t CdTimeToSeconds(const std::string& text) {
    auto digit = [&](size_t i) {
        return i < text.size() && text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : 0;
    };
    return 600 * digit(0) + 60 * digit(1) + 10 * digit(3) + digit(4);
}

std::string cdSecondsText(int32_t s) {
    return std::to_string(s / 3600) + ":" + std::to_string((s / 60) % 60) + ":" + std::to_string(s % 60);
}

std::string cdPackedSeconds(int32_t seconds) {
    if (seconds < 0) seconds = 0;
    return std::to_string((seconds / 60) | ((seconds % 60) << 8));
}

} // namespace sv

namespace {

// Geometry of the panel's design: the transport row, the label row below
// it, the bevel, and the track buttons to its right (tema first).
constexpr int kButton = 25;
constexpr int kTrack = 21;
constexpr int kTemaLeft = 268;
constexpr int kTemaTop = 4;
constexpr int kMinPanelHeight = 53;

// Every command clears the answer first.
int send(TSVMainfrm& m, const std::string& command) {
    m.MciLastError = mciSendString(command, m.MciReturnText);
    return m.MciLastError;
}

void fetchError(TSVMainfrm& m) { m.MciErrorText = mciGetErrorString(m.MciLastError); }

void report(TSVMainfrm& m) {
    fetchError(m);
    ShowMessage(m.MciErrorText);
}

// Sends and shows an error at once; true on success.
bool sendReported(TSVMainfrm& m, const std::string& command) {
    if (send(m, command) == 0) return true;
    report(m);
    return false;
}

bool answered(const TSVMainfrm& m) { return !m.MciReturnText.empty(); }

bool noAudio(const TSVMainfrm& m) { return m.MciReturnText == "other" || m.MciReturnText == "otros"; }

bool answerNumber(const TSVMainfrm& m, int32_t& n) {
    bool ok = false;
    n = QString::fromStdString(m.MciReturnText).trimmed().toInt(&ok);
    return ok;
}

void playingState(TSVMainfrm& m, bool playing) {
    m.SpeedButton38->setEnabled(!playing);
    m.SpeedButton37->setEnabled(playing);
}

bool panelShown(const TSVMainfrm& m) { return !m.Panel2->isHidden(); }

void timerOn(TSVMainfrm& m, bool on) {
    if (on) m.Timer1->start();
    else m.Timer1->stop();
}

void timerFollowsPanel(TSVMainfrm& m) { timerOn(m, panelShown(m)); }

void setText(QLabel* l, const std::string& s) { l->setText(QString::fromStdString(s)); }

// The disc length into CdLengthSeconds and Label10.
void readDiscLength(TSVMainfrm& m) {
    if (!sendReported(m, "status cdaudio length")) return;
    if (answered(m)) {
        m.CdLengthSeconds = CdTimeToSeconds(m.MciReturnText);
        setText(m.Label10, cdSecondsText(m.CdLengthSeconds));
    } else {
        m.Label10->setText("00:00:00");
        m.CdLengthSeconds = 0;
    }
}

// Before the player looks for the disc, a tray left open is closed, as a
// drive pulls its tray in when asked to play; a disc image has no tray to
// push, so without this an ejected image could never come back.
void closeOpenTray(TSVMainfrm& m) {
    if (send(m, "status cdaudio mode") == 0 && m.MciReturnText == "open") sendReported(m, "set cdaudio door closed");
}

void resetLabels(TSVMainfrm& m) {
    m.Label5->setText("0");
    for (QLabel* l : {m.Label6, m.Label8, m.Label4, m.Label10}) l->setText("0:00:00");
}

// Plays from the start of a track, as Next and Previous do.
void playTrack(TSVMainfrm& m, int32_t track) {
    if (!sendReported(m, "status cdaudio position track " + std::to_string(track))) return;
    if (!answered(m)) return;
    if (sendReported(m, "play cdaudio from " + m.MciReturnText)) playingState(m, true);
}

void setFlat(QToolButton* b, bool flat) { b->setAutoRaise(flat); }

QToolButton* makeButton(QWidget* parent, const char* name, const QString& hint, int x, int y, int size) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setGeometry(x, y, size, size);
    setFlat(b, true);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& hint, const QString& caption, int x, int width) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setToolTip(hint);
    l->setStatusTip(hint);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(x, 30, width, 18);
    return l;
}

void buildPanel(TSVMainfrm* m) {
    QWidget* p = m->Panel2;
    p->setObjectName("Panel2");
    QStyle* st = m->style();
    struct Transport {
        QToolButton** field;
        const char* name;
        const char* hint;
        QStyle::StandardPixmap icon;
        void (TSVMainfrm::*handler)();
    };
    const Transport row[] = {
        {&m->SpeedButton38, "SpeedButton38", "CD Play", QStyle::SP_MediaPlay, &TSVMainfrm::SpeedButton38Click},
        {&m->SpeedButton37, "SpeedButton37", "CD Pause", QStyle::SP_MediaPause, &TSVMainfrm::SpeedButton37Click},
        {&m->SpeedButton36, "SpeedButton36", "CD Stop", QStyle::SP_MediaStop, &TSVMainfrm::SpeedButton36Click},
        {&m->SpeedButton39, "SpeedButton39", "CD Rewind", QStyle::SP_MediaSeekBackward,
         &TSVMainfrm::SpeedButton39Click},
        {&m->SpeedButton40, "SpeedButton40", "CD Fast Forward", QStyle::SP_MediaSeekForward,
         &TSVMainfrm::SpeedButton40Click},
        {&m->SpeedButton41, "SpeedButton41", "Previous CD track", QStyle::SP_MediaSkipBackward,
         &TSVMainfrm::SpeedButton41Click},
        {&m->SpeedButton42, "SpeedButton42", "Next CD track", QStyle::SP_MediaSkipForward,
         &TSVMainfrm::SpeedButton42Click},
        {&m->SpeedButton43, "SpeedButton43", "CD Eject", QStyle::SP_ArrowUp, &TSVMainfrm::SpeedButton43Click},
    };
    int x = 2;
    for (const Transport& t : row) {
        QToolButton* b = makeButton(p, t.name, t.hint, x, 2, kButton);
        b->setIcon(st->standardIcon(t.icon));
        QObject::connect(b, &QToolButton::clicked, m, [m, h = t.handler] { (m->*h)(); });
        *t.field = b;
        x += kButton;
    }
    m->SpeedButton37->setEnabled(false);

    m->cdmode1 = makeButton(p, "cdmode1", "One-time play mode", x + 4, 2, kButton);
    m->cdmode1->setText("1");
    m->cdmode2 = makeButton(p, "cdmode2", "Continuous play mode", x + 4 + kButton, 2, kButton);
    m->cdmode2->setText(QString::fromUtf8("\u221E"));
    setFlat(m->cdmode2, false);
    QObject::connect(m->cdmode1, &QToolButton::clicked, m, [m] { m->cdmode1Click(); });
    QObject::connect(m->cdmode2, &QToolButton::clicked, m, [m] { m->cdmode2Click(); });

    m->Label4 = makeLabel(p, "Label4", "Seconds played (CD)", "00:00:00", 2, 56);
    m->Label5 = makeLabel(p, "Label5", "Current track", "0", 60, 24);
    m->Label6 = makeLabel(p, "Label6", "Current track length", "00:00:00", 86, 56);
    m->Label8 = makeLabel(p, "Label8", "Seconds played (current track)", "00:00:00", 144, 56);
    m->Label10 = makeLabel(p, "Label10", "CD length", "00:00:00", 202, 56);

    m->Bevel10 = new QFrame(p);
    m->Bevel10->setObjectName("Bevel10");
    m->Bevel10->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    m->Bevel10->setGeometry(kTemaLeft - 6, 1, 2, kMinPanelHeight - 5);

    m->tema = new QToolButton(p);
    m->tema->setObjectName("tema");
    m->tema->setText("1");
    m->tema->setToolTip("Track N 1");
    m->tema->setStatusTip("Track N 1");
    m->tema->setGeometry(kTemaLeft, kTemaTop, kTrack, kTrack);
    m->tema->hide();
    QObject::connect(m->tema, &QToolButton::clicked, m, [m] { m->temaClick(m->tema); });

    p->setFixedHeight(kMinPanelHeight);
}

// The panel sits at the bottom of the main window, between the sound
// windows and the status bar: the MDI area and the panel share a column
// that becomes the central widget.
void dockPanel(TSVMainfrm* m) {
    if (m->Panel2->parentWidget() != m) return;
    QWidget* central = m->takeCentralWidget();
    auto* host = new QWidget(m);
    host->setObjectName("CentralArea");
    auto* column = new QVBoxLayout(host);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    if (central) column->addWidget(central, 1);
    column->addWidget(m->Panel2);
    m->setCentralWidget(host);
}

// The panel's width: while it is laid out in the shown window, the width
// of its column (a panel just shown has not been laid out yet).
int panelWidth(const TSVMainfrm& m) {
    QWidget* column = m.Panel2->parentWidget();
    if (column && column != &m && column->isVisible()) return column->width();
    return m.Panel2->width();
}

} // namespace

void TSVMainfrm::SpeedButton10Click() {
    Panel2->setVisible(Panel2->isHidden());
    timerOn(*this, panelShown(*this));
    if (!panelShown(*this)) return;
    closeOpenTray(*this);
    mostrar_lista_botones();
}

void TSVMainfrm::mostrar_lista_botones() {
    if (!sendReported(*this, "status cdaudio media present")) {
        Panel2->hide();
        return;
    }
    if (MciReturnText == "false") {
        ShowMessage("There is no CD on the tray. Please insert one.");
        Panel2->hide();
        return;
    }
    sendReported(*this, "status cdaudio type track 1");
    if (noAudio(*this)) {
        ShowMessage("Error: this CD has no audio tracks");
        Panel2->hide();
        return;
    }
    int32_t n = 0;
    int height = Panel2->height();
    if (sendReported(*this, "status cdaudio number of tracks") && answerNumber(*this, n)) {
        // Next and Previous wrap at the track count, so it is known as soon
        // as the buttons are, whichever command came first.
        CdTrackCount = n;
        for (size_t i = 1; i < CdTrackButtons.size(); ++i) {
            CdTrackButtons[i]->hide();
            CdTrackButtons[i]->deleteLater();
        }
        CdTrackButtons.clear();
        CdTrackButtons.reserve(size_t(std::max(n, 0)) + 1);
        CdTrackButtons.push_back(tema);
        int x = tema->x() + kTrack;
        int y = tema->y();
        tema->show();

        // At least one column, however narrow the panel.
        const int columns = std::max(1, (panelWidth(*this) - tema->x() - 4) / tema->width());
        height = 50;
        if (2 * columns < n) {
            height = (n / columns + 1) * kTrack + 8;
            Bevel10->resize(Bevel10->width(), height - 2);
        }
        const QColor navy(0x00, 0x00, 0x80);
        QFont font("Arial");
        font.setBold(true);
        for (int k = 2; k <= n; ++k) {
            auto* b = new QToolButton(Panel2);
            b->hide();
            b->setText(QString::number(k));
            b->setToolTip("Track No " + QString::number(k));
            b->setStatusTip(b->toolTip());
            b->setGeometry(x, y, kTrack, kTrack);
            b->setFont(font);
            QPalette pal = b->palette();
            pal.setColor(QPalette::ButtonText, navy);
            b->setPalette(pal);
            connect(b, &QToolButton::clicked, this, [this, b] { temaClick(b); });
            b->show();
            CdTrackButtons.push_back(b);
            x += kTrack;
            if (k % columns == 0) {
                y += kTrack;
                x = tema->x();
            }
        }
    }
    readDiscLength(*this);
    Panel2->show();
    Panel2->setFixedHeight(std::max(height, kMinPanelHeight));
}

void TSVMainfrm::treure_flats_del_CD() {
    for (QToolButton* b : CdTrackButtons) setFlat(b, false);
}

void TSVMainfrm::cdmode1Click() {
    setFlat(cdmode2, false);
    setFlat(cdmode1, true);
    CdPlayMode = 1;
}

void TSVMainfrm::cdmode2Click() {
    setFlat(cdmode1, false);
    setFlat(cdmode2, true);
    CdPlayMode = 2;
}

void TSVMainfrm::SpeedButton38Click() {
    closeOpenTray(*this);
    sendReported(*this, "status cdaudio type track 1");
    if (noAudio(*this)) {
        ShowMessage("Error: this CD has no audio tracks...");
        return;
    }
    mostrar_lista_botones();
    // The disc went away: that was said once, and there is nothing to play.
    if (!panelShown(*this)) {
        timerOn(*this, false);
        return;
    }
    int32_t n = 0;
    if (sendReported(*this, "status cdaudio number of tracks") && answerNumber(*this, n)) CdTrackCount = n;
    if (CdPaused) {
        playingState(*this, true);
        if (!sendReported(*this, "play cdaudio from " + cdPackedSeconds(CdPausePosition))) playingState(*this, false);
        else timerOn(*this, true);
        CdPaused = false;
    } else {
        CdPaused = false;
        const bool ok = send(*this, "play cdaudio") == 0;
        playingState(*this, true);
        if (!ok) {
            report(*this);
            playingState(*this, false);
        }
        timerOn(*this, ok);
    }
}

void TSVMainfrm::SpeedButton37Click() {
    timerOn(*this, false);
    sendReported(*this, "status cdaudio position");
    if (answered(*this)) CdPausePosition = CdTimeToSeconds(MciReturnText);
    playingState(*this, false);
    if (sendReported(*this, "pause cdaudio")) CdPaused = true;
}

void TSVMainfrm::SpeedButton36Click() {
    playingState(*this, false);
    resetLabels(*this);
    timerOn(*this, false);
    sendReported(*this, "stop cdaudio");
}

void TSVMainfrm::SpeedButton43Click() {
    resetLabels(*this);
    if (!sendReported(*this, "status cdaudio media present")) return;
    if (MciReturnText != "true") {
        sendReported(*this, "set cdaudio door closed");
        return;
    }
    if (sendReported(*this, "stop cdaudio")) playingState(*this, false);
    sendReported(*this, "set cdaudio door open");
}

void TSVMainfrm::SpeedButton42Click() {
    mostrar_lista_botones();
    if (!panelShown(*this)) {
        timerOn(*this, false);
        return;
    }
    readDiscLength(*this);
    int32_t t = 0;
    if (!sendReported(*this, "status cdaudio current track")) return;
    if (!answerNumber(*this, t)) return;
    playTrack(*this, CdTrackCount < t + 1 ? 1 : t + 1);
    timerFollowsPanel(*this);
}

void TSVMainfrm::SpeedButton41Click() {
    int32_t t = 0;
    if (!sendReported(*this, "status cdaudio current track")) return;
    if (!answerNumber(*this, t)) return;
    const int32_t target = t >= 2 ? t - 1 : CdTrackCount;
    if (target == 0) return;
    playTrack(*this, target);
    timerFollowsPanel(*this);
}

void TSVMainfrm::SpeedButton40Click() {
    mostrar_lista_botones();
    if (!panelShown(*this)) {
        timerOn(*this, false);
        return;
    }
    readDiscLength(*this);
    if (!sendReported(*this, "status cdaudio position")) return;
    const int32_t p = CdTimeToSeconds(MciReturnText);
    const int32_t target = CdLengthSeconds < p + 10 ? p : p + 10;
    if (sendReported(*this, "play cdaudio from " + cdPackedSeconds(target))) playingState(*this, true);
    timerFollowsPanel(*this);
}

void TSVMainfrm::SpeedButton39Click() {
    sendReported(*this, "status cdaudio position");
    if (answered(*this)) {
        int32_t target = CdTimeToSeconds(MciReturnText) - 10;
        if (CdPlayMode == 2) {
            if (target <= 0) target = CdLengthSeconds - 10;
        } else if (cdBeep) {
            cdBeep();
        }
        if (target > 0) {
            std::string packed = cdPackedSeconds(target);
            if (packed == "0") packed = "1";
            if (sendReported(*this, "play cdaudio from " + packed)) playingState(*this, true);
        }
    }
    timerFollowsPanel(*this);
}

void TSVMainfrm::temaClick(QToolButton* sender) {
    if (!sender) return;
    const std::string k = sender->text().toStdString();
    if (sendReported(*this, "status cdaudio position track " + k) && answered(*this)) {
        // A track that cannot be played (data) says so and leaves the
        // player stopped rather than showing it as playing.
        if (sendReported(*this, "play cdaudio from " + MciReturnText)) playingState(*this, true);
    }
    readDiscLength(*this);
    treure_flats_del_CD();
    setFlat(sender, true);
    timerFollowsPanel(*this);
}

void TSVMainfrm::Timer1Timer() {
    // A message box of this handler runs its own event loop, in which the
    // timer keeps firing: one poll at a time, so errors do not pile up.
    static bool polling = false;
    if (polling) return;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{polling};
    polling = true;

    if (!panelShown(*this)) {
        timerOn(*this, false);
        return;
    }
    bool havePosition = false;
    int32_t p = 0;
    if (send(*this, "status cdaudio mode")) fetchError(*this);
    const std::string mode = MciReturnText;
    if (mode == "playing") {
        if (SpeedButton38->isEnabled()) {
            Label4->setText("00:00:00");
        } else {
            if (send(*this, "status cdaudio position")) fetchError(*this);
            if (answered(*this)) {
                p = CdTimeToSeconds(MciReturnText);
                havePosition = true;
                setText(Label4, cdSecondsText(p));
            }
        }
        int32_t t = 0;
        if (sendReported(*this, "status cdaudio current track") && answerNumber(*this, t)) {
            setText(Label5, std::to_string(t));
            treure_flats_del_CD();
            if (t >= 1 && size_t(t) <= CdTrackButtons.size()) setFlat(CdTrackButtons[size_t(t) - 1], true);
            const std::string track = std::to_string(t);
            if (sendReported(*this, "status cdaudio length track " + track) && answered(*this))
                setText(Label6, cdSecondsText(CdTimeToSeconds(MciReturnText)));
            if (sendReported(*this, "status cdaudio position track " + track) && answered(*this) && havePosition)
                setText(Label8, cdSecondsText(p - CdTimeToSeconds(MciReturnText)));
        }
    } else if (mode == "stopped" && !SpeedButton38->isEnabled()) {
        // The drive stops by itself at the end of the disc, usually before a
        // poll saw the last second: its resting position tells.
        if (send(*this, "status cdaudio position")) fetchError(*this);
        if (answered(*this)) {
            p = CdTimeToSeconds(MciReturnText);
            havePosition = true;
        }
    }
    // An unknown length (0) is no end: it would stop or restart every tick.
    if (havePosition && CdLengthSeconds > 0 && p >= CdLengthSeconds) {
        if (CdPlayMode == 1) {
            SpeedButton36Click();
        } else if (sendReported(*this, "play cdaudio")) {
            playingState(*this, true);
        }
    }
}

void installCdCommands(TSVMainfrm* main) {
    if (!main->SpeedButton36) {
        buildPanel(main);
        dockPanel(main);
        QObject::connect(main->Timer1, &QTimer::timeout, main, [main] { main->Timer1Timer(); });
        main->cdBeep = [] { QApplication::beep(); };
    }
    main->setHandler("CDplayer1", [main] { main->SpeedButton10Click(); });
    if (!main->button("SpeedButton10"))
        if (auto* bar = toolBarPanel(main, "PanelMisc"))
            main->addButton(bar, "SpeedButton10", "CD", "Shows a CD player", "CDplayer1");

    main->cdStartHook = [main] {
        // "-CD": show the player and play the first track; a missing or
        // unplayable disc has been reported once and ends it.
        main->SpeedButton10Click();
        if (!panelShown(*main)) return;
        main->mostrar_lista_botones();
        if (!panelShown(*main) || main->CdTrackButtons.empty()) return;
        main->temaClick(main->CdTrackButtons.front());
    };
    main->cdPlayingHook = [main] { return main->SpeedButton38 && !main->SpeedButton38->isEnabled(); };
    main->cdStopHook = [main] { main->SpeedButton36Click(); };
}
