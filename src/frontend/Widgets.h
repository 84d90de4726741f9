// Small pieces the windows share: every control gets its caption as its
// accessible name, so that screen readers (and the end-to-end tests, through
// the accessibility interface) find it by what it says.
#pragma once

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <string>

namespace kv::ui {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string S(const QString& s) {
    return s.toStdString();
}
// The core's lines end in CR LF; Qt's widgets want LF.
inline QString Lines(const std::string& s) {
    return Q(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

template <typename W> W* Named(W* w, const QString& name, const QString& tip = {}) {
    w->setAccessibleName(name);
    if (!tip.isEmpty()) {
        w->setToolTip(tip);
        w->setAccessibleDescription(tip);
    }
    return w;
}

inline QPushButton* Button(const QString& caption, QWidget* parent, const QString& tip = {}) {
    return Named(new QPushButton(caption, parent), QString(caption).remove(QLatin1Char('&')), tip);
}
inline QCheckBox* Check(const QString& caption, QWidget* parent, const QString& tip = {}) {
    return Named(new QCheckBox(caption, parent), caption, tip);
}
// A long caption that wraps beside its box: a click on it works the box, and
// the box keeps the whole caption as its accessible name.
class BoxCaption : public QLabel {
public:
    BoxCaption(QAbstractButton* box, QWidget* parent) : QLabel(box->text(), parent), box_(box) {
        setWordWrap(true);
        setBuddy(box);
        box->installEventFilter(this);
    }

    // Wide enough for a few words a line, not a column of single words.
    QSize sizeHint() const override {
        const int w = fontMetrics().averageCharWidth() * 26;
        return {w, heightForWidth(w)};
    }

protected:
    // Greyed with its box.
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == box_ && e->type() == QEvent::EnabledChange) setEnabled(box_->isEnabled());
        return false;
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && box_->isEnabled()) box_->click();
    }

private:
    QAbstractButton* box_;
};
// The row to lay out in the box's place.
inline QWidget* Wrapped(QCheckBox* box) {
    auto* row = new QWidget(box->parentWidget());
    auto* lay = new QHBoxLayout(row);
    lay->setContentsMargins(0, 0, 0, 0);
    auto* caption = new BoxCaption(box, row);
    box->setText(QString());
    box->setParent(row);
    lay->addWidget(box, 0, Qt::AlignTop);
    lay->addWidget(caption, 1);
    return row;
}
inline QRadioButton* Radio(const QString& caption, QWidget* parent) {
    return Named(new QRadioButton(caption, parent), caption);
}
// A label whose text changes: its accessible name follows the text.
inline void SetText(QLabel* l, const QString& text) {
    l->setText(text);
    l->setAccessibleName(text);
}
inline QLabel* Label(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAccessibleName(text);
    return l;
}

// The row a list's selection is on, or -1. Screen readers select entries
// without moving the current row, so the selection is what counts.
inline int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

} // namespace kv::ui
