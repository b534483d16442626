// The Edit menu's commands and the channel tools of the Tools menu: each
// finds the active sound window, checks its guard and calls the window's
// operation, which asks, edits, records the undo step and redraws.
#pragma once

class TSVMainfrm;

// Registers the handlers with TSVMainfrm::setHandler, turns "&Repeat" into
// its submenu of counts and adds the enabling of the edit tool buttons.
// Safe to call more than once.
void installEditCommands(TSVMainfrm* main);

namespace sv {

// The handlers, by their menu items' names. None lets an exception out.
void Copy1Click(TSVMainfrm* main);
void Cut1Click(TSVMainfrm* main);
void Insertarsilencio1Click(TSVMainfrm* main);
void Paste1Click(TSVMainfrm* main);
void PasteSpecial1Click(TSVMainfrm* main);   // "&Mix"
void Mixspecial1Click(TSVMainfrm* main);
void Borrar1Click(TSVMainfrm* main);
void Borrarexceptoseleccion1Click(TSVMainfrm* main);   // "Tr&im"
void undo1Click(TSVMainfrm* main);
void Pegarcomonuevo1Click(TSVMainfrm* main);   // "Paste as &new"
// Repeats the selection with the last chosen count (initially 1).
void SpeedButton13Click(TSVMainfrm* main);
// The "&Repeat" submenu: choose a count and repeat.
void chooseRepeatCount(TSVMainfrm* main, int count);
int repeatCount(const TSVMainfrm* main);
void DivideChannels1Click(TSVMainfrm* main);
void CombineChannels1Click(TSVMainfrm* main);

} // namespace sv
