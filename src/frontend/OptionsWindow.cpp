// The options window: its groups of controls bound to the options model.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

class OptionsWindow : public ScreenWindow {
public:
    explicit OptionsWindow(GameApp& app) : ScreenWindow(app, ScreenId::Options) {
        setWindowTitle(QStringLiteral("Kvelmar II: Параметры"));
        screens::GameScreens& g = app.Screens();
        screens::OptionsScreen& o = g.options;
        Module1& m = app.State();
        auto* top = new QVBoxLayout(this);
        auto* cols = new QHBoxLayout;
        auto* left = new QVBoxLayout;
        auto* right = new QVBoxLayout;
        cols->addLayout(left);
        cols->addLayout(right);
        top->addLayout(cols);

        auto group = [this](const QString& title, QVBoxLayout* into) {
            auto* box = Named(new QGroupBox(title, this), title);
            auto* lay = new QVBoxLayout(box);
            into->addWidget(box);
            return lay;
        };

        QVBoxLayout* gfx = group(QStringLiteral("Параметры графики"), left);
        video_ = Named(new QComboBox(this), QStringLiteral("Видеоадаптер"));
        devices_ = Named(new QListWidget(this), QStringLiteral("Тип 3D-ускорения"));
        devices_->setMaximumHeight(64);
        modes_ = Named(new QComboBox(this), QStringLiteral("Видеорежим"));
        modes_->setEditable(true);
        modes_->lineEdit()->setAccessibleName(QStringLiteral("Видеорежим"));
        for (const char* mode : screens::kScreenModes)
            modes_->addItem(QString::fromUtf8(mode));
        tex_ = Check(QStringLiteral("Загрузить текстуры стола"), this);
        room_ = Check(QStringLiteral("Загрузить комнату (+ текстуры и приколы)"), this);
        for (QWidget* w : {static_cast<QWidget*>(video_), static_cast<QWidget*>(devices_),
                           static_cast<QWidget*>(modes_), static_cast<QWidget*>(tex_),
                           static_cast<QWidget*>(room_)})
            gfx->addWidget(w);

        QVBoxLayout* size = group(QStringLiteral("Размеры стола"), left);
        auto* sizes = new QGridLayout;
        lenLabel_ = Label(QStringLiteral("длина:"), this);
        widLabel_ = Label(QStringLiteral("ширина:"), this);
        len_ = Named(new QLineEdit(this), QStringLiteral("длина:"));
        wid_ = Named(new QLineEdit(this), QStringLiteral("ширина:"));
        sizes->addWidget(lenLabel_, 0, 0);
        sizes->addWidget(len_, 0, 1);
        sizes->addWidget(widLabel_, 1, 0);
        sizes->addWidget(wid_, 1, 1);
        size->addLayout(sizes);
        maxSize_ = Check(QStringLiteral("Максимальное поле (1000x1000)"), this);
        size->addWidget(maxSize_);

        QVBoxLayout* fr = group(QStringLiteral("Трение поля"), left);
        friction_ = new QButtonGroup(this);
        int id = 0;
        for (const char* c : {"малое", "стандартное", "большое"}) {
            auto* r = Radio(QString::fromUtf8(c), this);
            friction_->addButton(r, id++);
            fr->addWidget(r);
        }

        QVBoxLayout* wall = group(QStringLiteral("Стенка"), right);
        border_ = Check(QStringLiteral("Использовать стенку"), this);
        wallLabel_ = Label(QStringLiteral("Положение стенки:"), this);
        bord_ = new QButtonGroup(this);
        bordButtons_[0] = Radio(QStringLiteral("позиция1"), this);
        bordButtons_[1] = Radio(QStringLiteral("позиция2"), this);
        simm_ = Check(QStringLiteral("Включить стенку, симметричную выбранной относительно "
                                     "центра поля"),
                      this);
        wall->addWidget(border_);
        wall->addWidget(wallLabel_);
        for (int i = 0; i < 2; ++i) {
            bord_->addButton(bordButtons_[static_cast<std::size_t>(i)], i);
            wall->addWidget(bordButtons_[static_cast<std::size_t>(i)]);
        }
        wall->addWidget(simm_);

        QVBoxLayout* pipa = group(QStringLiteral("Пипа"), right);
        pipa_ = Check(QStringLiteral("Включить пипу"), this);
        pipaLabel_ = Label(QStringLiteral("Расположение:"), this);
        pipaGroup_ = new QButtonGroup(this);
        pipaButtons_[0] = Radio(QStringLiteral("2 пипы в части 1"), this);
        pipaButtons_[1] = Radio(QStringLiteral("2 пипы в части 2"), this);
        pipaSimm_ = Check(QStringLiteral("Включить 2 другие пипы, симметричные относительно "
                                         "центра поля"),
                          this);
        pipa->addWidget(pipa_);
        pipa->addWidget(pipaLabel_);
        for (int i = 0; i < 2; ++i) {
            pipaGroup_->addButton(pipaButtons_[static_cast<std::size_t>(i)], i);
            pipa->addWidget(pipaButtons_[static_cast<std::size_t>(i)]);
        }
        pipa->addWidget(pipaSimm_);

        QVBoxLayout* spread = group(QStringLiteral("Параметры отклонения"), right);
        spreadLabel_ = Label(QString(), this);
        spread_ = Named(new QScrollBar(Qt::Horizontal, this), QStringLiteral("Отклонение"));
        spread_->setRange(0, screens::kSpreadSteps);
        spread_->setPageStep(1);
        spread->addWidget(spreadLabel_);
        spread->addWidget(spread_);

        QVBoxLayout* more = group(QStringLiteral("Дополнительные настройки"), right);
        compHOD_ = Check(QStringLiteral("Включить паузу перед ходом компутера. Этот параметр можно "
                                        "изменить в процессе игры клавишей F6."),
                         this);
        sound_ = Check(QStringLiteral("Включить звук"), this);
        auto* reload = Button(QStringLiteral("Перезагрузить файл имен"), this);
        more->addWidget(compHOD_);
        more->addWidget(sound_);
        more->addWidget(reload);

        auto* buttons = new QHBoxLayout;
        auto* ok = Button(QStringLiteral("Готово"), this);
        auto* cancel = Button(QStringLiteral("< Назад"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        buttons->addWidget(cancel);
        buttons->addWidget(exit);
        buttons->addStretch();
        buttons->addWidget(ok);
        top->addLayout(buttons);

        // The controls write into the model; the model's own handlers where the
        // rules make a click take effect at once.
        connect(video_, &QComboBox::activated, this, [&o](int i) { o.adapter = i; });
        // Refresh fills these lists; only the user's choices reach the model.
        connect(devices_, &QListWidget::currentRowChanged, this, [this, &o](int i) {
            if (!refreshing_) o.renderer = i < 0 ? 0 : i;
        });
        connect(modes_, &QComboBox::currentTextChanged, this, [this, &o](const QString& t) {
            if (!refreshing_) o.mode = S(t);
        });
        connect(tex_, &QCheckBox::toggled, this, [&o](bool on) { o.textures = on ? 1 : 0; });
        connect(room_, &QCheckBox::toggled, this, [&o](bool on) { o.room = on ? 1 : 0; });
        connect(len_, &QLineEdit::textChanged, this,
                [&o](const QString& t) { o.settings.sizeX = S(t); });
        connect(wid_, &QLineEdit::textChanged, this,
                [&o](const QString& t) { o.settings.sizeY = S(t); });
        connect(maxSize_, &QCheckBox::toggled, this, [this, &o](bool on) {
            o.settings.maxSize = on ? 1 : 0;
            Refresh();
        });
        connect(friction_, &QButtonGroup::idToggled, this, [&o](int i, bool on) {
            if (on) o.friction = i;
        });
        connect(border_, &QCheckBox::toggled, this, [this, &o](bool on) {
            o.settings.border = on ? 1 : 0;
            Refresh();
        });
        connect(bord_, &QButtonGroup::idToggled, this, [&o, &m](int i, bool on) {
            if (on) o.SetBorderMode(m, i);
        });
        connect(simm_, &QCheckBox::toggled, this,
                [&o, &m](bool on) { o.SetBorderMirror(m, on ? 1 : 0); });
        connect(pipa_, &QCheckBox::toggled, this, [this, &o](bool on) {
            o.settings.pipa = on ? 1 : 0;
            Refresh();
        });
        connect(pipaGroup_, &QButtonGroup::idToggled, this, [&o, &m](int i, bool on) {
            if (on) o.SetPipaMode(m, i);
        });
        connect(pipaSimm_, &QCheckBox::toggled, this,
                [&o, &m](bool on) { o.SetPipaMirror(m, on ? 1 : 0); });
        connect(spread_, &QScrollBar::valueChanged, this, [this, &o, &m](int v) {
            if (refreshing_) return;
            o.SetSpread(m, v);
            SetText(spreadLabel_, Q(o.SpreadLabel()));
        });
        connect(compHOD_, &QCheckBox::toggled, this,
                [&o](bool on) { o.settings.compPause = on ? 1 : 0; });
        connect(sound_, &QCheckBox::toggled, this,
                [&o](bool on) { o.settings.sound = on ? 1 : 0; });
        connect(reload, &QPushButton::clicked, this, [&g, &o] { o.ReloadNames(g); });
        connect(ok, &QPushButton::clicked, this, [this, &g, &o] {
            setWindowTitle(QStringLiteral("Сохранение параметров..."));
            const screens::Next n = o.Done(g);
            setWindowTitle(QStringLiteral("Kvelmar II: Параметры"));
            Apply(n);
        });
        connect(cancel, &QPushButton::clicked, this, [this, &g, &o] { Apply(o.Back(g)); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &o] { Apply(o.Exit(g)); });
    }

    void Refresh() override {
        const screens::OptionsScreen& o = app_.Screens().options;
        refreshing_ = true;
        video_->clear();
        for (const std::string& a : o.adapters)
            video_->addItem(Q(a));
        video_->setCurrentIndex(o.adapter);
        devices_->clear();
        for (const std::string& d : o.renderers)
            devices_->addItem(Q(d));
        devices_->setCurrentRow(o.renderer);
        modes_->setCurrentText(Q(o.mode));
        tex_->setChecked(o.textures != 0);
        room_->setChecked(o.room != 0);
        len_->setText(Q(o.settings.sizeX));
        wid_->setText(Q(o.settings.sizeY));
        maxSize_->setChecked(o.settings.maxSize != 0);
        for (QWidget* w : {static_cast<QWidget*>(len_), static_cast<QWidget*>(wid_),
                           static_cast<QWidget*>(lenLabel_), static_cast<QWidget*>(widLabel_)})
            w->setEnabled(o.SizeBoxes());
        if (QAbstractButton* b = friction_->button(o.friction)) b->setChecked(true);
        border_->setChecked(o.settings.border != 0);
        bordButtons_[o.borderMode == 0 ? 0 : 1]->setChecked(true);
        simm_->setChecked(o.borderMirror != 0);
        for (QWidget* w :
             {static_cast<QWidget*>(wallLabel_), static_cast<QWidget*>(bordButtons_[0]),
              static_cast<QWidget*>(bordButtons_[1]), static_cast<QWidget*>(simm_)})
            w->setEnabled(o.WallControls());
        pipa_->setChecked(o.settings.pipa != 0);
        pipaButtons_[o.pipaMode == 0 ? 0 : 1]->setChecked(true);
        pipaSimm_->setChecked(o.pipaMirror != 0);
        for (QWidget* w :
             {static_cast<QWidget*>(pipaLabel_), static_cast<QWidget*>(pipaButtons_[0]),
              static_cast<QWidget*>(pipaButtons_[1]), static_cast<QWidget*>(pipaSimm_)})
            w->setEnabled(o.PipaControls());
        spread_->setValue(o.spread);
        SetText(spreadLabel_, Q(o.SpreadLabel()));
        compHOD_->setChecked(o.settings.compPause != 0);
        sound_->setChecked(o.settings.sound != 0);
        refreshing_ = false;
    }

private:
    bool refreshing_ = false;
    QComboBox* video_ = nullptr;
    QListWidget* devices_ = nullptr;
    QComboBox* modes_ = nullptr;
    QCheckBox* tex_ = nullptr;
    QCheckBox* room_ = nullptr;
    QLabel* lenLabel_ = nullptr;
    QLabel* widLabel_ = nullptr;
    QLineEdit* len_ = nullptr;
    QLineEdit* wid_ = nullptr;
    QCheckBox* maxSize_ = nullptr;
    QButtonGroup* friction_ = nullptr;
    QCheckBox* border_ = nullptr;
    QLabel* wallLabel_ = nullptr;
    QButtonGroup* bord_ = nullptr;
    std::array<QRadioButton*, 2> bordButtons_{};
    QCheckBox* simm_ = nullptr;
    QCheckBox* pipa_ = nullptr;
    QLabel* pipaLabel_ = nullptr;
    QButtonGroup* pipaGroup_ = nullptr;
    std::array<QRadioButton*, 2> pipaButtons_{};
    QCheckBox* pipaSimm_ = nullptr;
    QLabel* spreadLabel_ = nullptr;
    QScrollBar* spread_ = nullptr;
    QCheckBox* compHOD_ = nullptr;
    QCheckBox* sound_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeOptionsWindow(GameApp& app) {
    return std::make_unique<OptionsWindow>(app);
}

} // namespace kv
