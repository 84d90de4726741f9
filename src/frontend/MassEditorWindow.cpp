// The mass editor of one player row, a modal window of the quick game screen.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

void RunMassEditor(GameApp& app, QWidget* parent, int row) {
    using namespace ui;
    screens::GameScreens& g = app.Screens();
    screens::MassEditor& ed = g.mass;
    ed.Open(g, row);
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Изменение массы"));
    auto* top = new QVBoxLayout(&d);
    top->addWidget(Label(Q(ed.info), &d));
    auto* box = Named(new QLineEdit(Q(ed.mass), &d), QStringLiteral("Масса:"));
    auto* label = Label(QStringLiteral("Масса:"), &d);
    label->setBuddy(box);
    auto* line = new QHBoxLayout;
    line->addWidget(label);
    line->addWidget(box, 1);
    top->addLayout(line);
    auto* buttons = new QHBoxLayout;
    auto* done = Button(QStringLiteral("Готово"), &d);
    auto* cancel = Button(QStringLiteral("Отмена"), &d);
    done->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(done);
    buttons->addWidget(cancel);
    top->addLayout(buttons);
    QObject::connect(done, &QPushButton::clicked, &d, [&] {
        ed.mass = S(box->text());
        if (ed.Done(g)) d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    d.exec();
}

} // namespace kv
