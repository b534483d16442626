// The program's clipboard format for icons: an icon copied with it pastes
// back as the same icon, every size kept; other programs see a picture.
#pragma once
#include <QIcon>
#include <QString>

namespace sv {

// The format's name.
const QString& iconClipboardFormat();
// Binds the format to the icon class; once per process.
void registerIconClipboardFormat();
// The icon in icon-file form under the format, plus its largest picture.
void copyIconToClipboard(const QIcon& icon);
bool clipboardHasIcon();
// The icon on the clipboard: the format's data, else an icon file, else a
// picture; an empty icon when there is none.
QIcon pasteIconFromClipboard();

} // namespace sv
