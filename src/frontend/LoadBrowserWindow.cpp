// The load browser window: places, folders and files, and what to do with
// the chosen file.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

class LoadBrowserWindow : public ScreenWindow {
public:
    explicit LoadBrowserWindow(GameApp& app) : ScreenWindow(app, ScreenId::LoadBrowser) {
        screens::GameScreens& g = app.Screens();
        screens::LoadBrowser& b = g.loader;
        auto* top = new QVBoxLayout(Panel());
        heading_ = Label(QString(), this);
        QFont f = heading_->font();
        f.setBold(true);
        heading_->setFont(f);
        top->addWidget(heading_);
        auto* grid = new QGridLayout;
        grid->addWidget(Label(QStringLiteral("Место:"), this), 0, 0);
        places_ = Named(new QComboBox(this), QStringLiteral("Место:"));
        grid->addWidget(places_, 1, 0);
        folder_ = Label(QString(), this);
        folder_->setWordWrap(true);
        grid->addWidget(folder_, 2, 0);
        folders_ = Named(new QListWidget(this), QStringLiteral("Папки"));
        grid->addWidget(folders_, 3, 0);
        grid->addWidget(Label(QStringLiteral("Файлы:"), this), 0, 1);
        files_ = Named(new QListWidget(this), QStringLiteral("Файлы:"));
        grid->addWidget(files_, 1, 1, 3, 1);
        top->addLayout(grid, 1);
        top->addWidget(
            Label(QStringLiteral("Выделите файл в списке и нажмите \"Загрузить\""), this));

        auto* buttons = new QHBoxLayout;
        auto* load = Button(QStringLiteral("Загрузить..."), this);
        auto* info = Button(QStringLiteral("Инфо"), this);
        delete_ = Button(QStringLiteral("Удалить"), this);
        auto* refresh =
            Button(QStringLiteral("Обновить"), this, QStringLiteral("Обновить список файлов"));
        auto* back = Button(QStringLiteral("< Назад"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        for (QPushButton* w : {back, exit})
            buttons->addWidget(w);
        buttons->addStretch();
        for (QPushButton* w : {refresh, delete_, info, load})
            buttons->addWidget(w);
        top->addLayout(buttons);

        connect(places_, &QComboBox::currentIndexChanged, this, [this, &b](int i) {
            if (i == b.place) return;
            b.SetPlace(i);
            Refresh();
        });
        connect(folders_, &QListWidget::itemActivated, this, [this, &b](QListWidgetItem* it) {
            b.EnterFolder(folders_->row(it));
            Refresh();
        });
        connect(files_, &QListWidget::itemSelectionChanged, this, [this, &b] {
            b.Select(SelectedRow(files_));
            delete_->setEnabled(b.DeleteEnabled());
        });
        connect(files_, &QListWidget::itemActivated, this,
                [this, &g, &b](QListWidgetItem*) { Apply(b.Load(g)); });
        connect(load, &QPushButton::clicked, this, [this, &g, &b] { Apply(b.Load(g)); });
        connect(info, &QPushButton::clicked, this, [this, &g, &b] {
            b.Info(g);
            Refresh();
        });
        connect(delete_, &QPushButton::clicked, this, [this, &g, &b] {
            b.Delete(g);
            Refresh();
        });
        connect(refresh, &QPushButton::clicked, this, [this, &b] {
            b.Refresh();
            Refresh();
        });
        connect(back, &QPushButton::clicked, this, [this, &g, &b] { Apply(b.Back(g)); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &b] { Apply(b.Exit(g)); });
    }

    void Refresh() override {
        const screens::GameScreens& g = app_.Screens();
        const screens::LoadBrowser& b = g.loader;
        setWindowTitle(Q(b.Caption(g)));
        SetText(heading_, Q(b.heading));
        SetText(folder_, Q(b.folder));
        const QSignalBlocker b1(places_), b2(files_);
        places_->clear();
        for (const screens::LoadPlace& p : b.places)
            places_->addItem(Q(p.label));
        places_->setCurrentIndex(b.place);
        folders_->clear();
        for (const std::string& d : b.folders)
            folders_->addItem(Q(d));
        files_->clear();
        for (const std::string& f : b.files)
            files_->addItem(Q(f));
        files_->setCurrentRow(b.selected);
        delete_->setEnabled(b.DeleteEnabled());
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            Apply(app_.Screens().loader.Back(app_.Screens()));
            return;
        }
        ScreenWindow::keyPressEvent(e);
    }

private:
    QLabel* heading_ = nullptr;
    QComboBox* places_ = nullptr;
    QLabel* folder_ = nullptr;
    QListWidget* folders_ = nullptr;
    QListWidget* files_ = nullptr;
    QPushButton* delete_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeLoadBrowserWindow(GameApp& app) {
    return std::make_unique<LoadBrowserWindow>(app);
}

} // namespace kv
