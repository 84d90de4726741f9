// The slide show's reader, its skips and its one hand-over to the main menu;
// the chronicle's periods and events, their typing and their arrows; the
// about box's and emblem window's pages.
#include "ScreensRig.h"

#include "persistence/ErrorLog.h"
#include "persistence/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace kv {
namespace {

using screens::Next;
using screens::ScreenId;
using test::ScreensRig;

const Next kMenu = Next::To(ScreenId::MainMenu);

void Write(const std::string& path, const std::string& utf8) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << Utf8ToCp1251(utf8);
}

// Pictures that load unless named "bad.gif"; ProcessEvents may bring a user's
// click or key with it.
struct FakeSlides : screens::SlideView {
    bool ShowPicture(const std::string& path, std::string* why) override {
        shown.push_back(path.substr(path.rfind('/') + 1));
        if (path.ends_with("bad.gif")) {
            *why = "формат не распознан";
            return false;
        }
        return true;
    }
    void ProcessEvents() override {
        ++processed;
        if (during) {
            auto f = std::move(during);
            during = nullptr;
            answers.push_back(f());
        }
    }
    std::vector<std::string> shown;
    int processed = 0;
    std::function<Next()> during;
    std::vector<Next> answers;
};

struct SplashRig : ScreensRig {
    SplashRig() {
        SetErrorLogSink([this](const std::string& e) { logged.push_back(e); });
        g.s.dataDir = dir + "data/";
        std::filesystem::create_directories(g.s.dataDir + "splash");
    }
    void Media(const std::string& text) { Write(g.s.dataDir + "splash/splash.qvmedia", text); }
    Next Load() { return g.splash.Load(g, slides); }
    ~SplashRig() { SetErrorLogSink(nullptr); }
    bool SaidAboutShow() const { return Said("SlideMedia") || Said("заставки"); }
    bool Logged(const std::string& part) const {
        for (const std::string& e : logged)
            if (e.find(part) != std::string::npos) return true;
        return false;
    }
    FakeSlides slides;
    std::vector<std::string> logged;
};

TEST(Splash, AMissingOrForeignFileGoesStraightToTheMenuWithoutAMessage) {
    for (const char* text :
         {static_cast<const char*>(nullptr), "[orvelsoftSlideMedia]\r\na.gif\r\n",
          "[OrvelsoftSlideMedia] \r\na.gif\r\n", "", "[OrvelsoftSlideMedia]\r\n"}) {
        SplashRig r;
        if (text) r.Media(text);
        EXPECT_EQ(r.Load(), kMenu) << (text ? text : "no file");
        EXPECT_TRUE(r.slides.shown.empty());
        EXPECT_FALSE(r.SaidAboutShow());
        EXPECT_FALSE(r.m.HelpText.empty()) << "the in-match help is composed on the way";
        EXPECT_EQ(r.g.options.renderers.size(), 2u) << "the menu's start-up has run";
    }
}

TEST(Splash, SlidesFollowTheirTimesAndTheEndOfTheFileEndsTheShow) {
    SplashRig r;
    r.Media("[OrvelsoftSlideMedia]\r\none.gif\r\n3000\r\ntwo.gif\r\n0\r\nlast.gif\r\n");
    EXPECT_EQ(r.Load(), Next::Stay());
    EXPECT_EQ(r.slides.shown, std::vector<std::string>{"one.gif"});
    EXPECT_TRUE(r.g.splash.playing);
    EXPECT_TRUE(r.g.splash.slideTimer);
    EXPECT_EQ(r.g.splash.slideMs, 3000);
    EXPECT_EQ(r.g.splash.caption, "Добро пожаловать в игру Kvelmar II !");

    // "0": the slide stays until the user skips.
    EXPECT_EQ(r.g.splash.TimerTick(r.g, r.slides), Next::Stay());
    EXPECT_EQ(r.slides.shown.back(), "two.gif");
    EXPECT_FALSE(r.g.splash.slideTimer);
    EXPECT_EQ(r.g.splash.Click(r.g, r.slides), kMenu);
    EXPECT_TRUE(r.g.splash.waiting) << "\"Подождите...\" over the background";
    EXPECT_TRUE(r.g.splash.picture.empty());

    // A file that ends after a name shows it for one round of events, then the menu.
    SplashRig end;
    end.Media("[OrvelsoftSlideMedia]\r\nonly.gif");
    EXPECT_EQ(end.Load(), kMenu);
    EXPECT_EQ(end.slides.shown, std::vector<std::string>{"only.gif"});
    EXPECT_GE(end.slides.processed, 1);
}

TEST(Splash, TimesThatDoNotFitOrAreNegativeAreErrorsOfTheFile) {
    for (const char* time : {"40000", "-5", "пять", ""}) {
        SplashRig r;
        r.Media(std::string("[OrvelsoftSlideMedia]\r\na.gif\r\n") + time + "\r\nb.gif\r\n100\r\n");
        EXPECT_EQ(r.Load(), kMenu) << time;
        EXPECT_TRUE(r.Said("Ошибка в файле SlideMedia. Продолжение невозможно.")) << time;
        EXPECT_TRUE(r.Logged("SlideMedia Player > Ошибка в файле SlideMedia.")) << time;
        EXPECT_EQ(r.slides.shown.size(), 1u);
    }
    int ms = -1;
    std::string why;
    EXPECT_TRUE(screens::SlideTime("32767", ms, why));
    EXPECT_EQ(ms, 32767);
    EXPECT_FALSE(screens::SlideTime("32768", ms, why));
    EXPECT_TRUE(screens::SlideTime("0", ms, why));
    EXPECT_EQ(ms, 0);

    SplashRig bad;
    bad.Media("[OrvelsoftSlideMedia]\r\nbad.gif\r\n100\r\n");
    EXPECT_EQ(bad.Load(), kMenu);
    EXPECT_TRUE(bad.Said("формат не распознан"));
}

TEST(Splash, AClickSkipsOnlyARecognisedShowAndAKeyAlways) {
    // During the first slide the file is not yet taken as recognised.
    SplashRig r;
    r.Media("[OrvelsoftSlideMedia]\r\na.gif\r\n100\r\nb.gif\r\n100\r\n");
    r.slides.during = [&r] { return r.g.splash.Click(r.g, r.slides); };
    EXPECT_EQ(r.Load(), Next::Stay());
    EXPECT_EQ(r.slides.answers, std::vector<Next>{Next::Stay()});
    EXPECT_TRUE(r.g.splash.running);

    SplashRig k;
    k.Media("[OrvelsoftSlideMedia]\r\na.gif\r\n100\r\nb.gif\r\n100\r\n");
    k.slides.during = [&k] { return k.g.splash.Key(k.g, k.slides); };
    EXPECT_EQ(k.Load(), Next::Stay()) << "the key's own answer took the menu";
    EXPECT_EQ(k.slides.answers, std::vector<Next>{kMenu});
    EXPECT_EQ(k.slides.shown.size(), 1u) << "no slide after the skip";
    EXPECT_FALSE(k.g.splash.slideTimer);
    EXPECT_EQ(k.g.splash.TimerTick(k.g, k.slides), Next::Stay()) << "a late tick changes nothing";
}

TEST(Splash, StartRunsOnceEvenWithASkipWhileItRuns) {
    SplashRig r;
    r.Media("[OrvelsoftSlideMedia]\r\na.gif\r\n100\r\n");
    EXPECT_EQ(r.Load(), Next::Stay());
    // The timer ends the show; Start lets events through, and a key comes in.
    r.slides.during = [&r] { return r.g.splash.Key(r.g, r.slides); };
    EXPECT_EQ(r.g.splash.TimerTick(r.g, r.slides), kMenu);
    EXPECT_EQ(r.slides.answers, std::vector<Next>{Next::Stay()});
    EXPECT_EQ(r.g.splash.Key(r.g, r.slides), Next::Stay());
    EXPECT_EQ(r.g.splash.Click(r.g, r.slides), Next::Stay());

    // Played again from the menu: the show runs, the program's start-up does not.
    r.g.quick.rows[0].name = "Своё имя";
    r.m.MaxX = 123;
    EXPECT_EQ(r.g.menu.Splash(r.g), Next::Stay()) << "no splash window in this rig";
    r.g.available.insert(ScreenId::Splash);
    EXPECT_EQ(r.g.menu.Splash(r.g), Next::To(ScreenId::Splash));
    EXPECT_EQ(r.Load(), Next::Stay());
    EXPECT_EQ(r.g.splash.Key(r.g, r.slides), kMenu);
    EXPECT_EQ(r.m.MaxX, 123);
    EXPECT_EQ(r.g.quick.rows[0].name, "Своё имя");
}

TEST(Splash, AfterAnOpenErrorTheWindowWaitsForAKeyOrAClick) {
    SplashRig r;
    // A plain file that cannot be read: the process's own memory at address 0.
    std::filesystem::create_symlink("/proc/self/mem", r.g.s.dataDir + "splash/splash.qvmedia");
    EXPECT_EQ(r.Load(), Next::Stay());
    EXPECT_TRUE(r.Said("Ошибка при открытии файла заставки! "));
    EXPECT_TRUE(r.Logged("SlideMedia Player > Ошибка при открытии файла "));
    EXPECT_FALSE(r.g.splash.playing);
    EXPECT_EQ(r.g.splash.TimerTick(r.g, r.slides), Next::Stay());
    EXPECT_EQ(r.g.splash.Click(r.g, r.slides), kMenu);
}

struct ChronicleRig : ScreensRig {
    ChronicleRig() {
        g.s.dataDir = dir + "data/";
        for (int p = 1; p <= 6; ++p)
            Write(g.s.dataDir + "xron/xronika" + std::to_string(p) + ".dat",
                  "Период " + std::to_string(p) + "\r\nвторая строка\r\n");
    }
    void Events(int p, const std::string& text) {
        Write(g.s.dataDir + "xron/xron" + std::to_string(p) + ".dat", text);
    }
    screens::ChronicleScreen& c = g.chronicle;
    screens::ChronicleEventsScreen& e = g.events;
};

void TypeAll(screens::Typewriter& t) {
    for (int i = 0; i < 10000 && t.timer; ++i)
        t.Tick();
}

TEST(Chronicle, PeriodsAreTypedOrShownWholeAndAMissingTextIsEmpty) {
    ChronicleRig r;
    std::filesystem::remove(r.g.s.dataDir + "xron/xronika4.dat");
    r.c.Load(r.g);
    EXPECT_EQ(r.c.caption, "Kvelmar II: Хроника Гоблы");
    EXPECT_EQ(r.c.selected, 0);
    EXPECT_TRUE(r.c.box.timer);
    r.c.box.Tick();
    r.c.box.Tick();
    EXPECT_EQ(r.c.box.typed, "Пе") << "whole Cyrillic letters, one a tick";
    r.c.SetWholeText(true);
    EXPECT_FALSE(r.c.box.timer);
    EXPECT_EQ(r.c.box.typed, "Период 1\r\nвторая строка\r\n");
    r.c.Select(3);
    EXPECT_EQ(r.c.box.typed, "");
    r.c.SetWholeText(false);
    r.c.Select(1);
    TypeAll(r.c.box);
    EXPECT_EQ(r.c.box.typed, "Период 2\r\nвторая строка\r\n");
    EXPECT_TRUE(r.dialogs.messages.empty());
    EXPECT_EQ(r.c.Back(), kMenu);
    EXPECT_EQ(r.c.Exit(), Next::Quit());
}

TEST(Chronicle, EveryEntryShowsItsOwnEventsDescription) {
    ChronicleRig r;
    r.Events(2, "[general]\r\n0EvTitle=Первое\r\n1EvTitle=Второе\r\n5EvTitle=Пятое\r\n"
                "62EvTitle=Лишнее\r\n[0EvDescr]\r\nО первом.\r\n[1EvDescr]\r\nО втором,\r\n"
                "в две строки.\r\n[3EvDescr]\r\nБез заголовка.\r\n[5EvDescr]\r\nО пятом.\r\n"
                "[62EvDescr]\r\nЛишний.\r\n");
    r.c.Load(r.g);
    r.c.Select(1);
    EXPECT_EQ(r.c.Details(r.g), Next::To(ScreenId::ChronicleEvents));
    EXPECT_EQ(r.c.box.typed, r.c.texts[1]) << "the period is shown whole on the way";
    EXPECT_EQ(r.e.caption, "Хроника Гоблы: Школьная Гобла (1960–1972)");
    ASSERT_EQ(r.e.events.size(), 3u);
    EXPECT_EQ(r.e.events[2].title, "Пятое");
    EXPECT_FALSE(r.e.showingEvent);
    r.e.SetWholeText(true);
    r.e.Select(2);
    EXPECT_TRUE(r.e.showingEvent);
    EXPECT_EQ(r.e.dateLabel, "Пятое");
    EXPECT_EQ(r.e.box.typed, "О пятом.");
    r.e.Select(1);
    EXPECT_EQ(r.e.box.typed, "О втором,\r\nв две строки.");
    EXPECT_EQ(r.e.Tip(0), "Первое: ");

    // The arrows stop at the ends with a message and nothing else.
    r.e.Select(2);
    r.e.NextEvent(r.g);
    EXPECT_EQ(r.dialogs.messages.back(), "Это последнее событие в списке!");
    EXPECT_EQ(r.e.selected, 2);
    EXPECT_EQ(r.e.box.typed, "О пятом.");
    r.e.Select(0);
    r.e.PreviousEvent(r.g);
    EXPECT_EQ(r.dialogs.messages.back(), "Это первое событие в списке!");
    EXPECT_EQ(r.e.selected, 0);
    r.e.NextEvent(r.g);
    EXPECT_EQ(r.e.dateLabel, "Второе");

    r.e.ToList();
    EXPECT_FALSE(r.e.showingEvent);
    EXPECT_EQ(r.e.Back(), Next::To(ScreenId::Chronicle));
    EXPECT_EQ(r.c.selected, 1) << "the period window is as it was left";
}

TEST(Chronicle, TickingWholeTextWhileADescriptionIsTypedShowsItAll) {
    ChronicleRig r;
    r.Events(1, "[general]\r\n0EvTitle=Одно\r\n[0EvDescr]\r\nДлинное описание события.\r\n");
    ASSERT_TRUE(r.e.LoadDat(r.g, 1));
    r.e.Select(0);
    r.e.box.Tick();
    EXPECT_EQ(r.e.box.typed, "Д");
    r.e.SetWholeText(true);
    EXPECT_EQ(r.e.box.typed, "Длинное описание события.");
    EXPECT_FALSE(r.e.box.timer);
}

TEST(Chronicle, AMissingEventsFileWarnsAndTheMenusExitAsks) {
    ChronicleRig r;
    r.c.Load(r.g);
    r.c.Select(5);
    EXPECT_EQ(r.c.Details(r.g), Next::Stay());
    EXPECT_TRUE(r.Said("Не найден файл xron6.dat. Переустановите Kvelmar."));

    r.dialogs.answers = {MsgAnswer::No, MsgAnswer::Yes};
    EXPECT_EQ(r.e.Exit(r.g), Next::Stay());
    EXPECT_EQ(r.e.Exit(r.g), Next::Quit());
    EXPECT_TRUE(r.Said("Вы уверены, что хотите выйти из игры?"));
}

TEST(Chronicle, PagesOpenInTheBrowserOrSayWhatIsMissing) {
    ChronicleRig r; // its data folder has no help pages
    r.c.Links(r.g);
    r.c.Vocabulary(r.g);
    EXPECT_TRUE(r.Said("Не найден файл links.htm. Открытие страницы ссылок невозможно."));
    EXPECT_TRUE(r.Said("Не найден файл voc.htm. Открытие словаря невозможно."));
    EXPECT_TRUE(r.web.opened.empty());

    ScreensRig s; // the game's own data
    s.web.works = false;
    s.g.chronicle.Vocabulary(s.g);
    ASSERT_EQ(s.web.opened.size(), 1u);
    EXPECT_TRUE(s.web.opened[0].ends_with("help/voc.htm"));
    EXPECT_EQ(s.dialogs.messages.back(), screens::BrowserFailure("нет браузера"));
    for (const std::string& m : s.dialogs.messages)
        EXPECT_EQ(m.find("Explorer"), std::string::npos);
    // The game's own pages, unless the settings name other addresses.
    s.web.works = true;
    s.g.chronicle.ClubPage(s.g);
    s.g.about.MakerPage(s.g);
    s.g.settings.clubUrl = "https://club.test/";
    s.g.emblem.ClubPage(s.g);
    ASSERT_EQ(s.web.opened.size(), 4u);
    EXPECT_TRUE(s.web.opened[1].ends_with("help/goblklub.htm"));
    EXPECT_TRUE(s.web.opened[2].ends_with("help/orvelsoft.htm"));
    EXPECT_EQ(s.web.opened[3], "https://club.test/");
    s.g.chronicle.Variant(s.g, 2);
    EXPECT_TRUE(s.Said("Горшечная Гобла"));
}

TEST(AboutAndEmblem, CreditsNameTheMakerAndTheBuildAndBothCloseToTheMenu) {
    ScreensRig r;
    const std::string credits = r.g.about.Credits();
    EXPECT_NE(credits.find("Orvelsoft"), std::string::npos);
    EXPECT_NE(credits.find("1408"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_regular_file(r.g.emblem.Picture(r.g)));
    EXPECT_EQ(r.g.about.Close(), kMenu);
    EXPECT_EQ(r.g.emblem.Close(), kMenu);
    r.g.emblem.PrintFailed(r.g, "нет принтера");
    EXPECT_TRUE(r.Said("нет принтера"));
}

} // namespace
} // namespace kv
