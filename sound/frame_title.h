// The title bar of a sound window's frame. A sound's caption is its path;
// where the bar is too narrow for the whole path (tiled or stripped
// windows), the path is shortened in the middle of its folder so that the
// file name stays whole. The sound window keeps the whole caption: only
// the frame's title is shortened.
#pragma once
#include <QFontMetrics>
#include <QString>

class QMdiSubWindow;

// `path` as it fits `room` pixels in `fm`: whole where it fits; else the
// folder's middle gives way to "…" ("/home/an…/takes/b.wav"); else the file
// name alone, losing its beginning ("…ke-07.wav").
QString shortenedPath(const QString& path, const QFontMetrics& fm, int room);

// The shortest form of `path` that still shows the file name whole:
// "…/" + the name (the name alone when there is no folder).
QString shortestTitle(const QString& path);

// The font and room of a frame's title bar, as the frame draws it.
QFontMetrics frameTitleMetrics(const QMdiSubWindow* frame);
int frameTitleRoom(const QMdiSubWindow* frame, int frameWidth);
// The least frame width whose title bar shows `title` whole.
int frameWidthShowing(const QMdiSubWindow* frame, const QString& title);

// The frame's title: its sound window's caption, shortened to the frame's
// width (whole while the frame is maximised: the main window's title then
// carries it).
void showShortTitle(QMdiSubWindow* frame);
// Keeps the frame's title fitted as the frame is resized, minimised,
// maximised or restored.
void keepShortTitle(QMdiSubWindow* frame);
