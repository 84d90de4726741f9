#include "net/NetEvent.h"

namespace kv::net {

std::string ReasonText(Reason r, std::uint16_t hostProtocol, i16 hostBuild) {
    switch (r) {
    case Reason::Protocol:
        return "Версии сетевого протокола различаются: у хозяина стола " +
               std::to_string(hostProtocol) + ", у вас " + std::to_string(kProtocolVersion) + ".";
    case Reason::Version:
        return "Версии игры различаются: у хозяина стола Билд " + std::to_string(hostBuild) +
               ", у вас Билд " + std::to_string(kBuild) + ".";
    case Reason::Rules:
        return "Данные правил (формы фишек, постоянные физики) у хозяина стола другие: "
               "играть вместе нельзя.";
    case Reason::Password:
        return "Неверный пароль стола.";
    case Reason::Full:
        return "Свободных мест за столом нет.";
    case Reason::NameTaken:
        return "Это имя за столом уже занято.";
    case Reason::BadName:
        return "Имя пустое или длиннее " + std::to_string(kNameChars) + " знаков.";
    case Reason::MatchRunning:
        return "Идёт матч: новые игроки садятся между матчами, зрителем можно войти сейчас.";
    case Reason::Kicked:
        return "Хозяин стола удалил вас из-за стола.";
    case Reason::Closed:
        return "Хозяин стола закрыл стол.";
    case Reason::Malformed:
        return "Получено повреждённое сообщение.";
    case Reason::Flood:
        return "Слишком много сообщений (флуд).";
    case Reason::OutOfTurn:
        return "Сообщение не в свой черёд.";
    case Reason::BadStrike:
        return "Удар с недопустимыми значениями.";
    case Reason::TooLarge:
        return "Слишком длинное сообщение.";
    case Reason::Unknown:
        return "Сообщение неизвестного типа.";
    case Reason::Silent:
        return "Связь молчит слишком долго.";
    case Reason::SeriesOver:
        return "Серия закончена, стол закрыт.";
    case Reason::Left:
        return "Игрок ушёл из-за стола.";
    case Reason::None:
        break;
    }
    return "Соединение закрыто.";
}

std::string NoticeText(const Notice& n) {
    const std::string who = n.name.empty() ? "место " + std::to_string(n.seat) : n.name;
    switch (n.kind) {
    case NoticeKind::Joined:
        return n.seat == 0
                   ? "Зритель " + who + " смотрит матч."
                   : "Игрок " + who + " сел за стол (место " + std::to_string(n.seat) + ").";
    case NoticeKind::Left:
        return "Игрок " + who + " ушёл из-за стола.";
    case NoticeKind::Dropped:
        return "Связь с игроком " + who + " прервалась; место ждёт его " +
               std::to_string(n.seconds) + " с.";
    case NoticeKind::Back:
        return "Игрок " + who + " вернулся.";
    case NoticeKind::TakenOver:
        return "За игрока " + who + " играет компьютер хозяина стола.";
    case NoticeKind::Waiting:
        return "Ход игрока " + who + ": ждём его " + std::to_string(n.seconds) + " с.";
    case NoticeKind::TimeLimit:
        return "Время хода игрока " + who + " вышло: ход делает компьютер.";
    case NoticeKind::Repaired:
        return "Стол игрока " + who + " восстановлен по столу хозяина.";
    }
    return {};
}

} // namespace kv::net
