// GIF pictures on the clipboard, under the format "GIF Image" beside a
// plain bitmap that any program can paste.
#pragma once
#include "components/RxGIF.h"

namespace sv {

// "GIF Image".
extern const char* const GIFClipboardFormat;

// Registers the extension "gif" ("CompuServe GIF Image") and the clipboard
// format for the GIF picture class; once per process, undone at exit.
void registerGIFFormats();

// The first frame as a bitmap, and the GIF with its length under "GIF
// Image" when every frame has encoded data.
void SaveGIFToClipboard(TGIFImage& image);
// "GIF Image" data when there is some (its bitmap, when it fits, as frame
// 0's picture), else a bitmap. False when the clipboard has neither; bad
// data raises the reader's error and leaves the image as it was.
bool LoadGIFFromClipboard(TGIFImage& image);

} // namespace sv
