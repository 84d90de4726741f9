// The about box and the emblem window: content of the game's world, the
// maker's and the club's pages; printing is the window's own.
#pragma once

#include "screens/ScreenContext.h"

#include <string>

namespace kv::screens {

class AboutScreen {
public:
    static std::string Credits();
    std::string Caption(const ScreenContext& g) const;
    void MakerPage(ScreenContext& g);
    Next Close();
};

class EmblemScreen {
public:
    static constexpr const char* kPrint = "Печать...";
    static constexpr const char* kMakerPage = "Страница Orvelsoft";
    static constexpr const char* kClubPage = "Страница Гоблного Клуба";
    static constexpr const char* kClose = "Закрыть";

    std::string Picture(const ScreenContext& g) const;
    std::string Caption(const ScreenContext& g) const;
    void MakerPage(ScreenContext& g);
    void ClubPage(ScreenContext& g);
    // The printer could not print: said and logged.
    void PrintFailed(ScreenContext& g, const std::string& why);
    Next Close();
};

} // namespace kv::screens
