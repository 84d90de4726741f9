#include "screens/Preview.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "screens/ScreenContext.h"

namespace kv::screens {

Next PiecePreview::Ask(ScreenContext& g, int r, int bits) {
    if (r < 0 || r >= kMaxPlayers) return Next::Stay();
    const std::string mode = "640x480x" + std::to_string(bits) + "bit";
    if (g.s.dialogs.Message("Если этот режим (" + mode +
                                ") не заработает, попробуйте другой. Продолжить?",
                            MsgIcon::Information, MsgButtons::YesNo) != MsgAnswer::Yes)
        return Next::Stay();
    g.m.Colors = static_cast<i16>(bits);
    const PlayerRow& p = g.settings.rows[static_cast<std::size_t>(r)];
    row = r;
    model = p.model >= 0 && p.model <= 3 ? p.model : 0;
    const std::string base = g.s.dataDir + "mesh/gobla" + std::to_string(model);
    // The mesh is looked for before anything of the display is touched.
    if (!FileExists(base + ".x")) {
        const std::string text = "Ошибка: не найден .х-файл Гоблы. Переустановите игру.";
        LogError("GoblaPreview:" + text + " (" + base + ".x)");
        g.s.dialogs.Message(text, MsgIcon::Information, MsgButtons::Ok, "Предварительный просмотр");
        return Next::Stay();
    }
    meshPath = base + (g.m.Gobla(1).Gray != 0 ? "_gray.x" : ".x");
    if (!FileExists(meshPath)) meshPath = base + ".x";
    caption = "Игрок " + p.name + " - " + kModelNames[model];
    angle = 0;
    return Next::To(ScreenId::Preview);
}

std::vector<TextItem> PiecePreview::Texts() const {
    return {{20, 10, caption}, {20, 450, kHint}};
}

Next PiecePreview::DisplayFailed(ScreenContext& g, const std::string& error) const {
    const std::string text = "OpenGL вернул ошибку: " + error +
                             ". Для устранения неполадки попробуйте изменить параметры графики "
                             "и/или обновить драйвер видеокарты (OpenGL 3.3 или новее).";
    LogError(text);
    g.s.dialogs.Message(text, MsgIcon::Exclamation, MsgButtons::Ok);
    return Escape();
}

Next PiecePreview::SceneFailed(ScreenContext& g, int number, const std::string& description) const {
    const std::string text = std::to_string(number) + " " + description;
    LogError("GoblaPreview:" + text);
    g.s.dialogs.Message(text, MsgIcon::Critical, MsgButtons::Ok, "Предварительный просмотр");
    return Escape();
}

} // namespace kv::screens
