// The content the front end reads, read the way it reads it: pictures decode at
// the sizes their windows expect, the slide show plays through the game's own
// reader, the chronicle viewer finds every event of every period, and the help
// pages link only to pages and anchors that exist.
#include "DataFiles.h"
#include "persistence/KeyFile.h"
#include "persistence/Text.h"
#include "screens/ScreensRig.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kv::testdata::GameData;
using kv::testdata::ReadBytes;

QImage Picture(const fs::path& path) {
    return QImage(QString::fromStdString(path.string()));
}

// Lines of a file that must end every line, the last one included, in CR LF.
std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "the last line has no CR LF";
    for (const std::string& l : lines)
        EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << "a lone CR or LF in: " << l;
    return lines;
}

TEST(Content, PicturesDecodeAtTheSizesTheirWindowsShow) {
    const std::map<std::string, QSize> emblems = {{"biggerb.gif", {480, 480}},
                                                  {"smallgerb.gif", {128, 128}},
                                                  {"mingerb.bmp", {256, 256}},
                                                  {"deskback.jpg", {1600, 900}}};
    for (const auto& e : fs::directory_iterator(GameData("pic"))) {
        SCOPED_TRACE(e.path().string());
        const auto size = emblems.find(e.path().filename().string());
        ASSERT_NE(size, emblems.end()) << "a picture of no known size";
        const QImage img = Picture(e.path());
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), size->second);
    }
    std::vector<fs::path> screens = {GameData("zvr2.gif")};
    for (const auto& e : fs::directory_iterator(GameData("splash")))
        if (e.path().extension() == ".gif") screens.push_back(e.path());
    EXPECT_GE(screens.size(), 7u);
    for (const fs::path& path : screens) {
        const QImage img = Picture(path);
        ASSERT_FALSE(img.isNull()) << path;
        EXPECT_EQ(img.size(), QSize(640, 480)) << path;
    }
    // The desktop icon: transparent around the emblem, at the size its name says.
    for (int n : {48, 64, 128, 256}) {
        const QImage icon =
            Picture(fs::path(KV_ICONS_DIR) / ("kvelmar2-" + std::to_string(n) + ".png"));
        ASSERT_FALSE(icon.isNull()) << n;
        EXPECT_EQ(icon.size(), QSize(n, n));
        EXPECT_TRUE(icon.hasAlphaChannel());
        EXPECT_EQ(qAlpha(icon.pixel(0, n - 1)), 0) << n;
    }
}

// The windows' style sheet: every rule closed, and the panel the windows
// stand their controls on is styled (Qt drops a broken sheet silently).
TEST(Content, TheWindowsStyleSheetIsWholeAndStylesThePanel) {
    const std::string sheet = ReadBytes(GameData("style/kvelmar.qss"));
    ASSERT_FALSE(sheet.empty());
    int depth = 0;
    for (std::size_t i = 0; i < sheet.size(); ++i) {
        if (sheet.compare(i, 2, "/*") == 0) i = sheet.find("*/", i + 2);
        ASSERT_NE(i, std::string::npos) << "an unclosed comment";
        depth += sheet[i] == '{' ? 1 : sheet[i] == '}' ? -1 : 0;
        ASSERT_GE(depth, 0);
        ASSERT_LE(depth, 1);
    }
    EXPECT_EQ(depth, 0);
    for (const char* rule : {"#panel", "QPushButton", "QPushButton:focus", "QLineEdit"})
        EXPECT_NE(sheet.find(rule), std::string::npos) << rule;
}

// Windows-1251 with CR LF throughout: no byte that the code page lacks, so the
// text comes back unchanged through the game's conversion both ways.
void ExpectCp1251Text(const std::string& bytes, const std::string& what) {
    EXPECT_FALSE(bytes.empty()) << what;
    EXPECT_EQ(bytes.find('\0'), std::string::npos) << what;
    EXPECT_EQ(bytes.find('\x98'), std::string::npos) << what;
    EXPECT_EQ(kv::Utf8ToCp1251(kv::Cp1251ToUtf8(bytes)), bytes) << what;
    CrLfLines(bytes);
}

// All twelve chronicle files, in the code page and line ends the game reads,
// through the viewer's own readers: every period has its text and its own
// events, each with a description of its own. Inside a section no line is
// blank or so short that the section reader would drop it as a first line.
TEST(Content, ChronicleHasEveryPeriodWithItsOwnEvents) {
    kv::test::ScreensRig r;
    r.g.chronicle.Load(r.g);
    for (int p = 1; p <= 6; ++p) {
        SCOPED_TRACE(p);
        ExpectCp1251Text(ReadBytes(GameData("xron/xronika" + std::to_string(p) + ".dat")),
                         "period");
        const std::string bytes = ReadBytes(GameData("xron/xron" + std::to_string(p) + ".dat"));
        ExpectCp1251Text(bytes, "events");
        for (const std::string& line : CrLfLines(bytes))
            EXPECT_GE(line.size(), 2u) << "a short line: \"" << line << "\"";
        kv::TextLines file; // a text without a title would show under the next one's
        ASSERT_TRUE(file.Load(GameData("xron/xron" + std::to_string(p) + ".dat")));
        for (int k = 0; k <= 61; ++k) {
            if (!kv::GetKey("general", std::to_string(k) + "EvTitle", file).empty()) continue;
            EXPECT_TRUE(kv::ReadSection(file, std::to_string(k) + "EvDescr").empty()) << k;
        }
        EXPECT_GT(r.g.chronicle.texts[static_cast<size_t>(p - 1)].size(), 400u);
        std::vector<kv::screens::ChronicleEvent> events;
        ASSERT_TRUE(kv::screens::ReadChronicleEvents(r.g, p, events));
        EXPECT_GE(events.size(), 8u);
        std::set<std::string> texts;
        for (const auto& e : events) {
            EXPECT_FALSE(e.title.empty());
            EXPECT_GT(e.description.size(), 80u) << e.title;
            EXPECT_TRUE(texts.insert(e.description).second) << e.title;
        }
    }
    EXPECT_TRUE(r.dialogs.messages.empty());
}

// A fresh install may have no network: every link stays in the help folder,
// save a mail address.
TEST(Content, HelpPagesLinkOnlyToPagesAndAnchorsThatExist) {
    const fs::path help = GameData("help");
    for (const char* page :
         {"index.html", "links.htm", "voc.htm", "orvelsoft.htm", "updates.htm", "goblklub.htm"})
        EXPECT_TRUE(fs::is_regular_file(help / page)) << page;
    const std::regex ref(R"re(\b(href|src)\s*=\s*["']([^"']*)["'])re");
    int links = 0;
    for (const auto& e : fs::directory_iterator(help)) {
        const std::string ext = e.path().extension().string();
        if (ext != ".htm" && ext != ".html") continue;
        SCOPED_TRACE(e.path().string());
        const std::string html = ReadBytes(e.path().string());
        EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_EQ(html.find("<script"), std::string::npos);
        for (std::sregex_iterator m(html.begin(), html.end(), ref), end; m != end; ++m) {
            const std::string kind = (*m)[1], target = (*m)[2];
            if (target.rfind("mailto:", 0) == 0 && kind == "href") continue;
            // The folder is flat: a colon or a slash leads out of it.
            ASSERT_EQ(target.find_first_of(":/"), std::string::npos)
                << "leads off the help folder: " << target;
            ++links;
            const size_t hash = target.find('#');
            const std::string file = target.substr(0, hash);
            const fs::path to = file.empty() ? e.path() : help / file;
            ASSERT_TRUE(fs::is_regular_file(to)) << target;
            if (hash == std::string::npos) continue;
            const std::string anchor = "id=\"" + target.substr(hash + 1) + "\"";
            EXPECT_NE(ReadBytes(to.string()).find(anchor), std::string::npos)
                << target << ": no such anchor";
        }
    }
    EXPECT_GT(links, 10);
}

// The slide show played by the game's own reader, slide after slide on its
// timer, with every picture decoded as the window decodes it; every slide made
// for it is shown.
TEST(Content, SlideShowPlaysToItsEndThroughTheGamesReader) {
    struct Slides : kv::screens::SlideView {
        bool ShowPicture(const std::string& path, std::string* why) override {
            shown.insert(fs::path(path).filename().string());
            if (!Picture(path).isNull()) return true;
            *why = "not decoded";
            return false;
        }
        void ProcessEvents() override {}
        std::set<std::string> shown;
    } slides;
    CrLfLines(ReadBytes(GameData("splash/splash.qvmedia")));
    kv::test::ScreensRig r;
    kv::screens::SplashScreen& s = r.g.splash;
    kv::screens::Next next = s.Load(r.g, slides);
    int timed = 0;
    for (int i = 0; i < 100 && next == kv::screens::Next::Stay(); ++i) {
        ASSERT_TRUE(s.slideTimer) << "a slide that waits for a key";
        EXPECT_GE(s.slideMs, 500);
        ++timed;
        next = s.TimerTick(r.g, slides);
    }
    EXPECT_EQ(next, kv::screens::Next::To(kv::screens::ScreenId::MainMenu));
    EXPECT_TRUE(r.dialogs.messages.empty()) << r.dialogs.messages.front();
    EXPECT_GE(timed, 6);
    for (const auto& e : fs::directory_iterator(GameData("splash"))) {
        if (e.path().extension() != ".gif") continue;
        EXPECT_TRUE(slides.shown.count(e.path().filename().string())) << e.path();
    }
}

} // namespace
