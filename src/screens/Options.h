// The options screen: display, table, wall, obstacles, spread, sound and the
// pause before computer strikes; it returns to whichever screen opened it.
#pragma once

#include "persistence/Settings.h"
#include "screens/ScreenContext.h"
#include "state/MatchState.h"

#include <string>
#include <vector>

namespace kv::screens {

// The screen modes offered, as "width x height x bits".
inline constexpr const char* kScreenModes[9] = {"1024x768x32", "1024x768x16", "1024x768x8",
                                                "800x600x32",  "800x600x16",  "800x600x8",
                                                "640x480x32",  "640x480x16",  "640x480x8"};
inline constexpr int kSpreadSteps = 5; // the spread bar: 0..5, VarK = value / 50

// The modes the options offer for a screen of w x h pixels (0 x 0: unknown):
// the screen's own size and the usual 16:9 and 16:10 modes that fit on it,
// then the nine classic ones.
std::vector<std::string> OfferedModes(int w, int h);

class OptionsScreen {
public:
    explicit OptionsScreen(SettingsRecord& s) : settings(s) {}

    // The boxes the settings file keeps: sizes, the largest table, walls and
    // obstacles on, the computer pause and sound.
    SettingsRecord& settings;
    // "Параметры графики"
    std::vector<std::string> adapters;  // the screens the window system reports
    std::vector<std::string> renderers; // hardware and software OpenGL
    int adapter = 0;
    int renderer = 0;
    bool startedSoftware = false; // the renderer this run draws with
    std::string mode = "640x480x8";
    std::vector<std::string> modes = OfferedModes(0, 0); // the list the mode is picked from
    i16 textures = 0;
    i16 room = 0;
    int graphics = kGraphicsModern; // "Графика:" Классика or Современная
    // "Размеры стола": the boxes in the record
    // "Трение поля": 0.01, 0.02, 0.03
    int friction = 1;
    // "Стенка", "Пипа"
    int borderMode = 1;
    i16 borderMirror = 1;
    int pipaMode = 0;
    i16 pipaMirror = 0;
    // "Параметры отклонения", "Дополнительные настройки"
    int spread = 0;

    // Enabled states.
    bool WallControls() const { return settings.border != 0; }
    bool PipaControls() const { return settings.pipa != 0; }
    bool SizeBoxes() const { return settings.maxSize == 0; }
    std::string SpreadLabel() const;
    // Said under the renderers while the choice waits for the next start.
    std::string RendererNote() const;
    double Friction() const;

    // Shows the state in the controls, the record's boxes included.
    void Load(const Module1& m);
    // The same but for the record's boxes, which keep what was typed.
    void ShowState(const Module1& m);
    // Another screen picked: the modes offered are that screen's, and a mode
    // it does not offer gives way to its own size.
    void SetAdapter(ScreenContext& g, int i);
    // Handlers that write through at once.
    void SetSpread(Module1& m, int value);
    void SetBorderMirror(Module1& m, i16 v);
    void SetPipaMirror(Module1& m, i16 v);
    void SetBorderMode(Module1& m, int v);
    void SetPipaMode(Module1& m, int v);
    void ReloadNames(ScreenContext& g);
    // "Готово": stays (Stay) when a value is refused.
    Next Done(ScreenContext& g);
    Next Back(ScreenContext& g);
    Next Exit(ScreenContext& g);
};

} // namespace kv::screens
