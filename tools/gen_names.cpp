// Writes the names list <gamedata>/zvr.nam: first names and nicknames of
// schoolchildren, one a line, Windows-1251, CR LF. Usage: gen_names <gamedata dir>
#include "MeshBuilder.h"

#include <cstdint>
#include <cstdio>
#include <string>

using kv::tools::MakeDirs;
using kv::tools::WriteFileBytes;

namespace {

const char* const kNames[] = {
    // boys
    "Саша", "Серёжа", "Вова", "Петя", "Коля", "Дима", "Миша", "Лёша", "Андрюха", "Витёк", "Костя",
    "Женя", "Игорёк", "Паша", "Стёпа", "Гоша", "Ваня", "Федя", "Тимур", "Артём", "Максим", "Никита",
    "Рома", "Слава", "Толик", "Юра", "Гена", "Боря", "Гриша", "Антон", "Кирилл", "Егор", "Денис",
    "Илюша", "Олег", "Вадик", "Стасик", "Эдик", "Жора", "Валера",
    // girls
    "Маша", "Наташа", "Оля", "Таня", "Света", "Лена", "Катя", "Ира", "Аня", "Юля", "Настя", "Даша",
    "Вика", "Люба", "Галя", "Зоя", "Нина", "Вера", "Надя", "Ксюша", "Лиза", "Поля", "Соня",
    "Алёнка", "Маринка",
    // nicknames
    "Ботаник", "Очкарик", "Шустрик", "Профессор", "Рыжий", "Малой", "Колобок", "Зубрила", "Кнопка",
    "Тихоня", "Хомяк", "Пончик", "Шпала", "Гвоздь", "Ёжик", "Чижик", "Капитан", "Молния", "Снайпер",
    "Шмель", "Винтик", "Шпунтик", "Бублик", "Стрекоза", "Лисичка", "Пуля", "Чемпион", "Знайка",
    "Гном", "Сухарик", "Циркуль", "Ластик", "Скрепка", "Дневник", "Звонок"};

// UTF-8 to Windows-1251 for the letters the list uses; false on anything else.
bool ToCp1251(const std::string& utf8, std::string& out) {
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (i + 1 >= utf8.size() || (c & 0xE0) != 0xC0) return false;
        const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        i += 2;
        if (cp >= 0x410 && cp <= 0x44F)
            out += static_cast<char>(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += static_cast<char>(0xA8);
        else if (cp == 0x451)
            out += static_cast<char>(0xB8);
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_names <gamedata dir>\n");
        return 2;
    }
    const std::string root = argv[1];
    std::string bytes;
    for (const char* name : kNames) {
        if (!ToCp1251(name, bytes)) {
            std::fprintf(stderr, "gen_names: cannot encode %s\n", name);
            return 1;
        }
        bytes += "\r\n";
    }
    if (!MakeDirs(root) || !WriteFileBytes(root + "/zvr.nam", bytes)) {
        std::fprintf(stderr, "gen_names: cannot write %s/zvr.nam\n", root.c_str());
        return 1;
    }
    return 0;
}
