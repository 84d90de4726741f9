#include "screens/Options.h"

#include "persistence/Numbers.h"
#include "persistence/Teams.h"
#include "screens/ScreenContext.h"
#include "state/Renderer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace kv::screens {

namespace {

// A box's text as a whole 16-bit number, or nothing.
std::optional<i16> Number16(const std::string& text) {
    std::string t = text;
    const auto b = t.find_first_not_of(' ');
    const auto e = t.find_last_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    t = t.substr(b, e - b + 1);
    int v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || v < -32768 || v > 32767)
        return std::nullopt;
    return static_cast<i16>(v);
}

struct Mode {
    i16 w, h, bits;
};

// "width x height x bits": the digits before the first x, between the first and
// the last, and after the last.
std::optional<Mode> ParseMode(const std::string& s) {
    const auto first = s.find('x');
    const auto last = s.rfind('x');
    if (first == std::string::npos || first == last) return std::nullopt;
    const auto w = Number16(s.substr(0, first));
    const auto h = Number16(s.substr(first + 1, last - first - 1));
    const auto b = Number16(s.substr(last + 1));
    if (!w || !h || !b) return std::nullopt;
    return Mode{*w, *h, *b};
}

const char* const kWrongValues = "Введенные значения некорректны. Повторите ввод.";

} // namespace

std::vector<std::string> OfferedModes(int w, int h) {
    std::vector<std::string> out;
    auto add = [&out](int mw, int mh) {
        const std::string m = std::to_string(mw) + "x" + std::to_string(mh) + "x32";
        if (std::find(out.begin(), out.end(), m) != out.end()) return;
        if (std::find(std::begin(kScreenModes), std::end(kScreenModes), m) !=
            std::end(kScreenModes))
            return;
        out.push_back(m);
    };
    if (w > 0 && h > 0 && w <= 16384 && h <= 16384) {
        add(w, h);
        constexpr int kWide[][2] = {{3840, 2160}, {2560, 1600}, {2560, 1440}, {1920, 1200},
                                    {1920, 1080}, {1680, 1050}, {1600, 900},  {1440, 900},
                                    {1366, 768},  {1280, 800},  {1280, 720}};
        for (const auto& m : kWide)
            if (m[0] <= w && m[1] <= h) add(m[0], m[1]);
    }
    for (const char* m : kScreenModes)
        out.emplace_back(m);
    return out;
}

std::string OptionsScreen::SpreadLabel() const {
    return "Отклонение: " + FixedText(spread / 50.0);
}

std::string OptionsScreen::RendererNote() const {
    return RendererRestartNote(startedSoftware, adapter, renderer);
}

double OptionsScreen::Friction() const {
    return kFrictions[friction >= 0 && friction <= 2 ? friction : kStandardFriction];
}

void OptionsScreen::Load(const Module1& m) {
    settings.sizeX = std::to_string(m.MaxX);
    settings.sizeY = std::to_string(m.MaxY);
    settings.border = m.Border != 0 ? 1 : 0;
    settings.sound = m.Sound != 0 ? 1 : 0;
    settings.compPause = m.IsCompHOD != 0 ? 1 : 0;
    settings.pipa = m.PipaOn != 0 ? 1 : 0;
    ShowState(m);
}

void OptionsScreen::ShowState(const Module1& m) {
    borderMode = m.BordMode == 0 ? 0 : 1;
    borderMirror = m.BordSimm != 0 ? 1 : 0;
    pipaMode = m.PipaMode == 0 ? 0 : 1;
    pipaMirror = m.PipaSimm != 0 ? 1 : 0;
    textures = m.UseTex != 0 ? 1 : 0;
    room = m.UseRoom != 0 ? 1 : 0;
    graphics = m.Graphics == kGraphicsClassic ? kGraphicsClassic : kGraphicsModern;
    friction = kStandardFriction;
    for (int i = 0; i < 3; ++i)
        if (m.Ftr == kFrictions[i]) friction = i;
    spread = static_cast<int>(std::lround(static_cast<double>(m.VarK) * 50));
    if (spread < 0 || spread > kSpreadSteps) spread = 0;
    mode = std::to_string(m.ScreenW) + "x" + std::to_string(m.ScreenH) + "x" +
           std::to_string(m.Colors);
    adapter = m.DeviceNum;
    renderer = m.RenderNum;
}

void OptionsScreen::SetAdapter(ScreenContext& g, int i) {
    adapter = i < 0 ? 0 : i;
    if (g.s.video == nullptr) return;
    const PixelSize screen = g.s.video->ScreenSize(adapter);
    modes = OfferedModes(screen.w, screen.h);
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) mode = modes.front();
}

void OptionsScreen::SetSpread(Module1& m, int value) {
    spread = value < 0 ? 0 : value > kSpreadSteps ? kSpreadSteps : value;
    m.VarK = static_cast<float>(spread / 50.0);
}

void OptionsScreen::SetBorderMirror(Module1& m, i16 v) {
    borderMirror = v != 0 ? 1 : 0;
    m.BordSimm = Flag(borderMirror != 0);
}

void OptionsScreen::SetPipaMirror(Module1& m, i16 v) {
    pipaMirror = v != 0 ? 1 : 0;
    m.PipaSimm = Flag(pipaMirror != 0);
}

void OptionsScreen::SetBorderMode(Module1& m, int v) {
    borderMode = v == 0 ? 0 : 1;
    m.BordMode = static_cast<i16>(borderMode);
}

void OptionsScreen::SetPipaMode(Module1& m, int v) {
    pipaMode = v == 0 ? 0 : 1;
    m.PipaMode = static_cast<i16>(pipaMode);
}

void OptionsScreen::ReloadNames(ScreenContext& g) {
    const bool there = LoadNames(g.m, g.s.dialogs, g.s.dataDir + "zvr.nam");
    g.namesAvailable = there;
}

Next OptionsScreen::Done(ScreenContext& g) {
    Module1& m = g.m;
    // Nothing is applied until the mode and the size are known to be right.
    const std::optional<Mode> md = ParseMode(mode);
    std::optional<i16> x =
        settings.maxSize != 0 ? std::optional<i16>(kMaxTableSize) : Number16(settings.sizeX);
    std::optional<i16> y =
        settings.maxSize != 0 ? std::optional<i16>(kMaxTableSize) : Number16(settings.sizeY);
    auto size = [](i16 v) { return v >= kMinTableSize && v <= kMaxTableSize; };
    if (!md || !x || !y || !size(*x) || !size(*y)) {
        g.s.dialogs.Message(kWrongValues, MsgIcon::Information, MsgButtons::Ok);
        return Next::Stay();
    }
    m.RenderNum = static_cast<i16>(renderer);
    m.DeviceNum = static_cast<i16>(adapter);
    m.ScreenW = md->w;
    m.ScreenH = md->h;
    m.Colors = md->bits;
    m.UseTex = Flag(textures != 0);
    m.UseRoom = Flag(room != 0);
    m.Graphics =
        static_cast<i16>(graphics == kGraphicsClassic ? kGraphicsClassic : kGraphicsModern);
    // Another screen than the first always draws with the hardware renderer.
    if (adapter != 0) m.RenderNum = 0;
    m.Ftr = Friction();
    m.MaxX = *x;
    m.MaxY = *y;
    m.Border = Flag(settings.border != 0);
    if (m.Border != 0) {
        m.BordMode = static_cast<i16>(borderMode);
        m.BordSimm = Flag(borderMirror != 0);
    }
    m.IsCompHOD = Flag(settings.compPause != 0);
    m.Sound = Flag(settings.sound != 0);
    m.PipaOn = Flag(settings.pipa != 0);
    if (m.PipaOn != 0) {
        m.PipaMode = static_cast<i16>(pipaMode);
        m.PipaSimm = Flag(pipaMirror != 0);
    }
    return Back(g);
}

Next OptionsScreen::Back(ScreenContext& g) {
    // A refused size must not stay in the boxes, where the settings file would
    // take it from.
    if (settings.maxSize == 0) {
        settings.sizeX = std::to_string(g.m.MaxX);
        settings.sizeY = std::to_string(g.m.MaxY);
    }
    return Next::To(g.flow.OptionsOpener());
}

Next OptionsScreen::Exit(ScreenContext& g) {
    Back(g); // the boxes as the file may keep them
    return Next::Quit();
}

} // namespace kv::screens
