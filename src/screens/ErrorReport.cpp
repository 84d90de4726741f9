#include "screens/ErrorReport.h"

#include "persistence/Files.h"
#include "persistence/Text.h"
#include "screens/ScreenContext.h"

namespace kv::screens {

std::string ErrorReport::Path(const ScreenContext& g) const {
    return g.s.stateDir + "qvreport.rpt";
}

std::string ErrorReport::LogPath(const ScreenContext& g) const {
    return g.s.stateDir + "zvrerror.log";
}

void ErrorReport::Open(ScreenContext& g) {
    if (shown) return;
    shown = true;
    title = g.s.appTitle;
    version = "3.0." + std::to_string(kBuild) + " (Билд " + std::to_string(kBuild) + ")";
    text = "Введите сюда подробное описание ошибки.";
    if (!g.s.stateDir.empty() && FileExists(Path(g))) {
        text = ReadTextFile(Path(g), g.s.dialogs);
        // The writer ends the text with a line break of its own: dropped here,
        // or every save would add a blank line.
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, NL) == 0)
            text.resize(text.size() - 2);
    }
    log = g.s.stateDir.empty() || !FileExists(LogPath(g)) ? std::string()
                                                          : ReadTextFile(LogPath(g), g.s.dialogs);
    changed = false;
}

void ErrorReport::Edit(const std::string& t) {
    if (t == text) return;
    text = t;
    changed = true;
}

bool ErrorReport::Save(ScreenContext& g) {
    if (g.s.stateDir.empty()) return false;
    // A failed write keeps the text and the flag: closing will ask again.
    if (!WriteTextFile(Path(g), text, g.s.dialogs)) return false;
    changed = false;
    return true;
}

bool ErrorReport::Close(ScreenContext& g) {
    bool may = true;
    if (changed) {
        switch (g.s.dialogs.Message("Текст не сохранен. Сохранить его сейчас?",
                                    MsgIcon::Information, MsgButtons::YesNoCancel)) {
        case MsgAnswer::Yes:
            may = Save(g);
            break;
        case MsgAnswer::No:
            break;
        default:
            may = false;
        }
    }
    if (may) shown = false;
    return may;
}

Next ErrorReport::Closing(ScreenContext& g) {
    return Close(g) ? Next::Hide(ScreenId::ErrorReport) : Next::Stay();
}

} // namespace kv::screens
