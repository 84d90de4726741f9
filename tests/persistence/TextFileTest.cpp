#include "FakeDialogs.h"
#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/Text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <iconv.h>
#include <limits>
#include <random>
#include <sys/resource.h>

namespace kv {
namespace {

TextLines Lines(const std::string& cp1251) {
    TextLines f;
    f.SetBytes(cp1251);
    return f;
}

TEST(Cp1251, MatchesTheSystemConverterAndMarksWhatItLacks) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1251");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x98) continue; // not a character in the code page
        char in[1] = {static_cast<char>(b)}, out[8] = {};
        char *ip = in, *op = out;
        std::size_t il = 1, ol = sizeof out;
        ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<std::size_t>(-1)) << b;
        const std::string utf8(out, op), byte(1, static_cast<char>(b));
        EXPECT_EQ(Cp1251ToUtf8(byte), utf8) << b;
        EXPECT_EQ(Utf8ToCp1251(utf8), byte) << b;
    }
    iconv_close(cd);
    EXPECT_EQ(Utf8ToCp1251("Вася 日本 a\xD0"), "\xC2\xE0\xF1\xFF ?? a?");
    EXPECT_EQ(Cp1251ToUtf8("\x98"), "?");
}

TEST(KeysAndSections, CaseInsensitiveRawValuesWithLaterSectionsAsFallback) {
    const TextLines f = Lines(";comment\r\n[GENERAL] extra\r\nVer=1408\r\n[Gobla2]\r\n"
                              "Model=5\r\nM=3\r\nM =9\r\n[Gobla3]\r\nXpos=12,5 \r\n"
                              "[\xC8\xC3\xD0\xC0]\r\n\xC8\xEC\xFF=\xC2\xE0\xF1\xFF\r\n");
    const TextLines g = Lines("[a]\nk=  x  \rj=1\r\n\r\nl=\r\n");
    EXPECT_EQ(GetKey("general", "ver", f), "1408");
    EXPECT_EQ(GetKey("Gobla2", "M", f), "3");
    EXPECT_EQ(GetKey("Gobla2", "Xpos", f), "12,5 "); // missing here: from a later section
    EXPECT_EQ(GetKey("Gobla3", "Model", f), "");
    EXPECT_EQ(GetKey("игра", "имя", f), "Вася");
    EXPECT_EQ(GetKey("a", "k", g), "  x  ");
    EXPECT_EQ(GetKey("a", "l", g), "");
    EXPECT_EQ(GetKeyFromFile("/nonexistent/file", "a", "k"), "");
    // A section body joins every whole-line header of that name.
    const TextLines h = Lines("[x]\r\nfirst\r\nsecond\r\n[y]\r\nother\r\n[X]\r\nthird\r\n");
    EXPECT_EQ(ReadSection(h, "x"), "first\r\nsecond\r\nthird");
    // A one-character first line is replaced by the next one.
    EXPECT_EQ(ReadSection(Lines("[x]\r\na\r\nlong\r\n"), "x"), "long");
    EXPECT_EQ(ReadSection(Lines("[x] note\r\nbody\r\n"), "x"), "");
}

TEST(Numbers, PlainRegionalAndIntegerReading) {
    const std::pair<const char*, double> plain[] = {
        {"  12,5 ", 12}, {"-1.5E2x", -150}, {"1D3", 1000}, {"abc", 0}, {"1E-999999999999", 0}};
    for (const auto& [text, value] : plain)
        EXPECT_EQ(PlainNumber(text), value) << text;
    EXPECT_TRUE(std::isinf(PlainNumber("1E999999999999")));
    const std::pair<const char*, double> regional[] = {{" 12,5 ", 12.5}, {"-1,5E+16", -1.5e16}};
    for (const auto& [text, value] : regional)
        EXPECT_EQ(RegionalNumber(text), value) << text;
    for (const char* bad : {"abc", "", "1,2,3", "12.5x", "1e999", "nan", "inf"})
        EXPECT_THROW(RegionalNumber(bad), LoadFailure) << bad;
    // Halves to even; outside 16 bits fails.
    const std::pair<const char*, int> ints[] = {{"2.5", 2}, {"3.5", 4}, {"-32768", -32768}};
    for (const auto& [text, value] : ints)
        EXPECT_EQ(IntOf(text), value) << text;
    EXPECT_THROW(IntOf("40000"), LoadFailure);
    EXPECT_EQ(FlagOf("1"), kTrue);
    EXPECT_EQ(FlagOf("0"), kFalse);
}

TEST(Numbers, EveryRealReadsBackToTheSameBitsInItsShape) {
    using L = std::numeric_limits<double>;
    std::vector<double> values = {-0.0, 0.02, 1.0 / 3.0, 1e-20, L::denorm_min(), L::max()};
    std::mt19937_64 gen(7);
    for (int i = 0; i < 20000; ++i) {
        const double d = std::bit_cast<double>(gen());
        if (std::isfinite(d)) values.push_back(d);
        values.push_back(std::ldexp(static_cast<double>(gen() >> 11), -53) * 7 - 3.5);
    }
    const auto bits = [](double d) { return std::bit_cast<std::uint64_t>(d); };
    for (double d : values) {
        ASSERT_EQ(bits(RegionalNumber(RealText(d))), bits(d)) << RealText(d);
        ASSERT_EQ(bits(PlainNumber(FixedText(d))), bits(d)) << FixedText(d);
    }
    for (float f : {0.1f, 0.05f, 1.0f / 3.0f, 0.0f, 1e-40f})
        ASSERT_EQ(RegionalFloat(RealText(f)), f);
    // The text forms keep their shape.
    const std::pair<double, const char*> fixed[] = {{0.25, " .25"}, {-0.75, "-.75"}, {40, " 40"}};
    for (const auto& [value, text] : fixed)
        EXPECT_EQ(FixedText(value), text);
    EXPECT_EQ(RealText(0.02), "0.02");
    EXPECT_EQ(RealText(1.5e16), "1.5E+16");
}

TEST(WholeFiles, WriteThenReadGivesTheTextWithOneMoreLineEndAndAFailedWriteKeepsIt) {
    test::TempHome home;
    test::FakeDialogs d;
    const std::string path = home.Path("report.rpt");
    ASSERT_TRUE(WriteTextFile(path, "Привет\r\nмир", d));
    EXPECT_EQ(test::Slurp(path), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xEC\xE8\xF0\r\n");
    EXPECT_EQ(ReadTextFile(path, d), "Привет\r\nмир\r\n");
    EXPECT_EQ(ReadTextFile(home.Path("none"), d), "");
    EXPECT_TRUE(d.messages.empty());
    // A full disk, as far as this process can tell: a failed write reports and
    // leaves the old file whole.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit keep{};
    ::getrlimit(RLIMIT_FSIZE, &keep);
    rlimit small = keep;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = WriteTextFile(path, std::string(100, 'x'), d);
    ::setrlimit(RLIMIT_FSIZE, &keep);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadTextFile(path, d), "Привет\r\nмир\r\n");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].rfind("Ошибка при записи файла:" + path, 0), 0u);
    // No temporary file is left behind.
    const auto files = std::distance(std::filesystem::directory_iterator(home.Dir()), {});
    EXPECT_EQ(files, 1);
}

TEST(ErrorLogTest, FirstCallCreatesLaterCallsAppendAndFailuresAreSilent) {
    test::TempHome home;
    LogError("первая");
    LogError(std::string("вторая") + NL2 + "описание");
    const std::string log = test::Text(home.Path("zvrerror.log"));
    // "(dd.MM.yyyy HH:mm:ss): "
    EXPECT_EQ(log.find("): первая\r\n"), 20u);
    EXPECT_NE(log.find("): вторая\r\n\r\nописание\r\n"), std::string::npos);
    LogErrorIn("/nonexistent/folder", "lost"); // must not throw or crash
}

} // namespace
} // namespace kv
