#include "mainwindow/SonvelaMain_formats.h"

#include "dialogs/Txt.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"

namespace {

// The delimited-text rows of "Save Waveform": column character and
// extension; every line ends with a line feed.
struct TextRow {
    int row;
    char separator;
    const char* extension;
};
const TextRow kTextRows[] = {{4, ';', ".csv"}, {5, ',', ".csv"}, {6, ' ', ".prn"}, {7, '\t', ".txt"}};

// Row 8: the delimiters come from "Txt Selection"; Cancel writes nothing.
bool savePersonalisedText(TSoundfrm* w, const std::string& name) {
    char column, line;
    {
        TTxtfrm dialog(w);
        if (dialog.mostrar() != 0) return false;
        column = dialog.ColumnDelimiter;
        line = dialog.LineDelimiter;
    }
    return w->salvar_csv(name, column, ".txt", line);
}

} // namespace

void installFormatCommands(TSVMainfrm* main) {
    auto snd = [](TSoundfrm* w, const std::string& name) { return w->abrir_SND(name); };
    main->registerReader(".au", snd);
    main->registerReader(".snd", snd);
    main->registerReader(".raw", [](TSoundfrm* w, const std::string& name) { return w->abrir_raw(name); });
    TSoundfrm::lawReaderHook = [](TSoundfrm* w, const std::string& name, bool muLaw) { w->Obrir_law(name, muLaw); };

    main->saveAsWriters[2] = [](TSoundfrm* w, const std::string& name) { return w->salvar_law(name, true); };
    main->saveAsWriters[3] = [](TSoundfrm* w, const std::string& name) { return w->salvar_law(name, false); };
    for (const TextRow& r : kTextRows) {
        main->saveAsWriters[r.row] = [r](TSoundfrm* w, const std::string& name) {
            return w->salvar_csv(name, r.separator, r.extension, '\n');
        };
    }
    main->saveAsWriters[8] = savePersonalisedText;
}
