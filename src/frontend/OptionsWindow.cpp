// The options window: its groups of controls bound to the options model.
#include "devices/scene/GameScene.h"
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
    explicit OptionsWindow(GameApp& app)
        : ScreenWindow(app, ScreenId::Options), g_(app.Screens()), o_(g_.options), m_(app.State()) {
        setWindowTitle(QStringLiteral("Kvelmar II: Параметры"));
        auto* top = new QVBoxLayout(Panel());
        auto* cols = new QHBoxLayout;
        // Three columns, so that the window fits a 1024×768 screen.
        auto* look = new QVBoxLayout;
        auto* table = new QVBoxLayout;
        auto* things = new QVBoxLayout;
        for (QVBoxLayout* c : {look, table, things})
            cols->addLayout(c, 1);
        top->addLayout(cols);
        BuildGraphics(Group(QStringLiteral("Параметры графики"), look));
        BuildTableSize(Group(QStringLiteral("Размеры стола"), table));
        BuildFriction(Group(QStringLiteral("Трение поля"), table));
        BuildSpread(Group(QStringLiteral("Параметры отклонения"), table));
        BuildMore(Group(QStringLiteral("Дополнительные настройки"), table));
        BuildWall(Group(QStringLiteral("Стенка"), things));
        BuildPipa(Group(QStringLiteral("Пипа"), things));
        for (QVBoxLayout* c : {look, table, things})
            c->addStretch();
        BuildButtons(top);
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
        ShowRendererNote();
        modes_->clear();
        for (const std::string& mode : o.modes)
            modes_->addItem(Q(mode));
        modes_->setCurrentText(Q(o.mode));
        graphics_->setCurrentIndex(o.graphics);
        SetText(lookNote_, Q(ModernLookReport()));
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
    void ShowRendererNote() {
        SetText(rendererNote_, Q(o_.RendererNote()));
        rendererNote_->setVisible(!o_.RendererNote().empty());
    }

    QVBoxLayout* Group(const QString& title, QVBoxLayout* into) {
        auto* box = Named(new QGroupBox(title, this), title);
        auto* lay = new QVBoxLayout(box);
        into->addWidget(box);
        return lay;
    }

    // A list with its caption shown above it; the caption is its name too.
    template <typename W> W* Captioned(W* w, const QString& caption, QVBoxLayout* into) {
        auto* label = Label(caption, this);
        label->setBuddy(w);
        into->addWidget(label);
        into->addWidget(Named(w, caption));
        return w;
    }

    void BuildGraphics(QVBoxLayout* gfx) {
        video_ = Captioned(new QComboBox(this), QStringLiteral("Видеоадаптер:"), gfx);
        // An adapter's long name is cut, not the window widened.
        video_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        video_->setMinimumContentsLength(18);
        devices_ = Captioned(new QListWidget(this), QStringLiteral("Тип 3D-ускорения:"), gfx);
        devices_->setMaximumHeight(64);
        rendererNote_ = Label(QString(), this);
        rendererNote_->setWordWrap(true);
        gfx->addWidget(rendererNote_);
        modes_ = Captioned(new QComboBox(this), QStringLiteral("Видеорежим:"), gfx);
        modes_->setEditable(true);
        modes_->lineEdit()->setAccessibleName(QStringLiteral("Видеорежим:"));
        graphics_ = Captioned(new QComboBox(this), QStringLiteral("Графика:"), gfx);
        for (const char* name : kGraphicsNames)
            graphics_->addItem(QString::fromUtf8(name));
        connect(graphics_, &QComboBox::activated, this, [this](int i) { o_.graphics = i; });
        lookNote_ = Label(QString(), this);
        lookNote_->setWordWrap(true);
        gfx->addWidget(lookNote_);
        tex_ = Check(QStringLiteral("Загрузить текстуры стола"), this);
        room_ = Check(QStringLiteral("Загрузить комнату (+ текстуры и приколы)"), this);
        gfx->addWidget(tex_);
        gfx->addWidget(Wrapped(room_));
        connect(video_, &QComboBox::activated, this, [this](int i) {
            o_.SetAdapter(g_, i);
            Refresh();
        });
        // Refresh fills these lists; only the user's choices reach the model.
        connect(devices_, &QListWidget::currentRowChanged, this, [this](int i) {
            if (refreshing_) return;
            o_.renderer = i < 0 ? 0 : i;
            ShowRendererNote();
        });
        connect(modes_, &QComboBox::currentTextChanged, this, [this](const QString& t) {
            if (!refreshing_) o_.mode = S(t);
        });
        connect(tex_, &QCheckBox::toggled, this, [this](bool on) { o_.textures = on ? 1 : 0; });
        connect(room_, &QCheckBox::toggled, this, [this](bool on) { o_.room = on ? 1 : 0; });
    }

    void BuildTableSize(QVBoxLayout* size) {
        auto* sizes = new QGridLayout;
        lenLabel_ = Label(QStringLiteral("длина:"), this);
        widLabel_ = Label(QStringLiteral("ширина:"), this);
        len_ = Named(new QLineEdit(this), QStringLiteral("длина:"));
        wid_ = Named(new QLineEdit(this), QStringLiteral("ширина:"));
        lenLabel_->setBuddy(len_);
        widLabel_->setBuddy(wid_);
        sizes->addWidget(lenLabel_, 0, 0);
        sizes->addWidget(len_, 0, 1);
        sizes->addWidget(widLabel_, 1, 0);
        sizes->addWidget(wid_, 1, 1);
        size->addLayout(sizes);
        maxSize_ = Check(QStringLiteral("Максимальное поле (1000x1000)"), this);
        size->addWidget(maxSize_);
        connect(len_, &QLineEdit::textChanged, this,
                [this](const QString& t) { o_.settings.sizeX = S(t); });
        connect(wid_, &QLineEdit::textChanged, this,
                [this](const QString& t) { o_.settings.sizeY = S(t); });
        connect(maxSize_, &QCheckBox::toggled, this, [this](bool on) {
            o_.settings.maxSize = on ? 1 : 0;
            Refresh();
        });
    }

    void BuildFriction(QVBoxLayout* fr) {
        friction_ = new QButtonGroup(this);
        int id = 0;
        for (const char* c : {"малое", "стандартное", "большое"}) {
            auto* r = Radio(QString::fromUtf8(c), this);
            friction_->addButton(r, id++);
            fr->addWidget(r);
        }
        connect(friction_, &QButtonGroup::idToggled, this, [this](int i, bool on) {
            if (on) o_.friction = i;
        });
    }

    void BuildWall(QVBoxLayout* wall) {
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
        wall->addWidget(Wrapped(simm_));
        connect(border_, &QCheckBox::toggled, this, [this](bool on) {
            o_.settings.border = on ? 1 : 0;
            Refresh();
        });
        connect(bord_, &QButtonGroup::idToggled, this, [this](int i, bool on) {
            if (on) o_.SetBorderMode(m_, i);
        });
        connect(simm_, &QCheckBox::toggled, this,
                [this](bool on) { o_.SetBorderMirror(m_, on ? 1 : 0); });
    }

    void BuildPipa(QVBoxLayout* pipa) {
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
        pipa->addWidget(Wrapped(pipaSimm_));
        connect(pipa_, &QCheckBox::toggled, this, [this](bool on) {
            o_.settings.pipa = on ? 1 : 0;
            Refresh();
        });
        connect(pipaGroup_, &QButtonGroup::idToggled, this, [this](int i, bool on) {
            if (on) o_.SetPipaMode(m_, i);
        });
        connect(pipaSimm_, &QCheckBox::toggled, this,
                [this](bool on) { o_.SetPipaMirror(m_, on ? 1 : 0); });
    }

    void BuildSpread(QVBoxLayout* spread) {
        spreadLabel_ = Label(QString(), this);
        spread_ = Named(new QScrollBar(Qt::Horizontal, this), QStringLiteral("Отклонение"));
        spread_->setRange(0, screens::kSpreadSteps);
        spread_->setPageStep(1);
        spread->addWidget(spreadLabel_);
        spread->addWidget(spread_);
        connect(spread_, &QScrollBar::valueChanged, this, [this](int v) {
            if (refreshing_) return;
            o_.SetSpread(m_, v);
            SetText(spreadLabel_, Q(o_.SpreadLabel()));
        });
    }

    void BuildMore(QVBoxLayout* more) {
        compHOD_ = Check(QStringLiteral("Включить паузу перед ходом компутера. Этот параметр можно "
                                        "изменить в процессе игры клавишей F6."),
                         this);
        sound_ = Check(QStringLiteral("Включить звук"), this);
        auto* reload = Button(QStringLiteral("Перезагрузить файл имен"), this);
        more->addWidget(Wrapped(compHOD_));
        more->addWidget(sound_);
        more->addWidget(reload);
        connect(compHOD_, &QCheckBox::toggled, this,
                [this](bool on) { o_.settings.compPause = on ? 1 : 0; });
        connect(sound_, &QCheckBox::toggled, this,
                [this](bool on) { o_.settings.sound = on ? 1 : 0; });
        connect(reload, &QPushButton::clicked, this, [this] { o_.ReloadNames(g_); });
    }

    void BuildButtons(QVBoxLayout* top) {
        auto* buttons = new QHBoxLayout;
        auto* ok = Button(QStringLiteral("Готово"), this);
        auto* cancel = Button(QStringLiteral("< Назад"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        ok->setDefault(true);
        buttons->addWidget(cancel);
        buttons->addWidget(exit);
        buttons->addStretch();
        buttons->addWidget(ok);
        top->addLayout(buttons);
        connect(ok, &QPushButton::clicked, this, [this] {
            setWindowTitle(QStringLiteral("Сохранение параметров..."));
            const screens::Next n = o_.Done(g_);
            setWindowTitle(QStringLiteral("Kvelmar II: Параметры"));
            Apply(n);
        });
        connect(cancel, &QPushButton::clicked, this, [this] { Apply(o_.Back(g_)); });
        connect(exit, &QPushButton::clicked, this, [this] { Apply(o_.Exit(g_)); });
    }

    screens::GameScreens& g_;
    screens::OptionsScreen& o_;
    Module1& m_;
    bool refreshing_ = false;
    QComboBox* video_ = nullptr;
    QListWidget* devices_ = nullptr;
    QLabel* rendererNote_ = nullptr;
    QLabel* lookNote_ = nullptr; // the renderer in use and the modern look's effects
    QComboBox* modes_ = nullptr;
    QComboBox* graphics_ = nullptr;
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
