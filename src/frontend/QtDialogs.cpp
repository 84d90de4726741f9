#include "frontend/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kv {

MsgAnswer QtDialogs::Message(const std::string& text, MsgIcon icon, MsgButtons buttons,
                             const std::string& caption) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(caption.empty() ? title_ : caption));
    // The core composes its lines with CR LF.
    box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Stop:
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    QAbstractButton* cancel = nullptr;
    QAbstractButton* ok = nullptr;
    if (buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel) {
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        if (buttons == MsgButtons::OkCancel)
            cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(static_cast<QPushButton*>(ok));
    } else {
        yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        if (buttons == MsgButtons::YesNoCancel)
            cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(static_cast<QPushButton*>(yes));
    }
    // The busy pointer must not hide the question.
    const bool wasBusy = busy_;
    if (wasBusy) QApplication::restoreOverrideCursor();
    box.exec();
    if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto* clicked = box.clickedButton();
    // Closing the box is the safe answer: No, Cancel, or OK where it is the only one.
    if (clicked == nullptr)
        return buttons == MsgButtons::Ok      ? MsgAnswer::Ok
               : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                              : MsgAnswer::Cancel;
    if (clicked == yes) return MsgAnswer::Yes;
    if (clicked == no) return MsgAnswer::No;
    if (clicked == cancel) return MsgAnswer::Cancel;
    return MsgAnswer::Ok;
}

void QtDialogs::SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace kv
