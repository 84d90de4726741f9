// Texts of the front end that are content rather than logic: the chronicle's
// period list and game variants, the about box and the web addresses. They
// tell the same story as gamedata/xron and the help pages; keep names and
// dates in step with them. UTF-8; lines are separated by LF, as Qt shows them.
#pragma once

namespace kv {

// The chronicle's period list, in the order of xronika1.dat .. xronika6.dat.
inline constexpr const char* kChroniclePeriods[6] = {
    "Истоки (1953–1959)",       "Школьная Гобла (1960–1972)",  "Годы турниров (1973–1987)",
    "Гоблный Клуб (1988–1995)", "Гобла на экране (1996–2000)", "Наши дни (2001–2003)"};

// The three variants of the game, shown from the chronicle's labels.
inline constexpr const char* kChronicleVariant1Caption = "Классическая Гобла";
inline constexpr const char* kChronicleVariant1 =
    "Классическая Гобла родилась осенью 1953 года на парте «Зантор» квельмарской школы № 2.\n\n"
    "За одним столом играют от двух до восьми человек, каждый за себя. Игроки по очереди бьют "
    "свою Гоблу, выбирая точку удара на её краю, направление и силу, и стараются сбить чужие "
    "Гоблы со стола. Гобла сгинула, когда её середина покинула стол.\n\n"
    "Побеждает тот, чья Гобла осталась на столе последней. В серии партий очки считают по одной "
    "из трёх систем Гоблного Клуба: «Формула-1», линейной или «Победитель получает все».";

inline constexpr const char* kChronicleVariant2Caption = "Командная Гобла";
inline constexpr const char* kChronicleVariant2 =
    "Командную Гоблу придумали летом 1977 года в пионерском лагере «Сосновый берег» на Вельме.\n\n"
    "Играют две команды, до четырёх игроков в каждой: «цветные» против «серых». Игроки команд "
    "ходят по очереди — сначала игрок одной команды, затем игрок другой, и все Гоблы на столе "
    "одной модели. Своих сбивать невыгодно, а подставить свою Гоблу под удар ради товарища — "
    "обычное дело.\n\n"
    "Побеждает команда, чьи Гоблы остались на столе; за каждую уцелевшую Гоблу она получает "
    "очко в счёт матча.";

inline constexpr const char* kChronicleVariant3Caption = "Горшечная Гобла";
inline constexpr const char* kChronicleVariant3 =
    "Горшечная Гобла — любимый вариант мастеров — выросла из знаменитого горшка Тимура Байрамова "
    "1974 года.\n\n"
    "Её играют на большом столе с двумя стенками и четырьмя пипами, и каждый игрок в свой ход "
    "может вместо обычного удара опустить на свою Гоблу горшок. Гобла хозяина остаётся на месте, "
    "а все остальные отлетают от неё прочь: тем дальше, чем сильнее горшок, чем ближе они к "
    "хозяину и чем дальше от середины стола.\n\n"
    "Очки в Горшечной Гобле обычно считают по правилу «Победитель получает все».";

// The about box.
inline constexpr const char* kAboutCredits =
    "Kvelmar II: Zantor\n"
    "Версия 3.0, билд 1408\n"
    "© Orvelsoft, 1996–2003, Квельмар\n"
    "\n"
    "Олег Орешин — руководитель проекта, расчётный модуль DravikMathEngine\n"
    "Глеб Вельский — трёхмерная графика, окна игры\n"
    "Илья Ткачук — компьютерный игрок CompBrain, повторы\n"
    "Вера Тихомирова — художник: эмблема, заставки, модели Гобл\n"
    "Дина Соколовская — звуки\n"
    "Ксения Звонарёва — Хроника Гоблы, справка и словарь\n"
    "Пётр Андреевич Ладыгин — правила, консультант Гоблного Клуба\n"
    "Денис Ярцев, Геннадий Сомов и члены Гоблного Клуба — испытания\n"
    "\n"
    "Посвящается Виктору Павловичу Дравику, учителю физики квельмарской школы № 2, который "
    "первым записал правила Гоблы, и всем, кто хоть раз сгинул со школьной парты.";

// Web pages of the maker and of the club.
inline constexpr const char* kOrvelsoftUrl = "https://orvelsoft.example/";
inline constexpr const char* kOrvelsoftUpdateUrl = "https://orvelsoft.example/kvelmar2/";
inline constexpr const char* kGoblKlubUrl = "https://goblklub.example/";

} // namespace kv
