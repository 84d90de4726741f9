#include "devices/display/QtDisplay.h"

#include "state/Picture.h"
#include "state/Renderer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QOpenGLWidget>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

const std::string NL = "\r\n";
const std::string NL2 = NL + NL;

std::string GlErrorText(unsigned e) {
    switch (e) {
    case 0x0500:
        return "GL_INVALID_ENUM";
    case 0x0501:
        return "GL_INVALID_VALUE";
    case 0x0502:
        return "GL_INVALID_OPERATION";
    case 0x0505:
        return "GL_OUT_OF_MEMORY: недостаточно видеопамяти";
    case 0x0506:
        return "GL_INVALID_FRAMEBUFFER_OPERATION";
    default:
        return "ошибка OpenGL";
    }
}

std::string Hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
}

} // namespace

std::string DisplayErrorMessage(const std::string& number, const std::string& description,
                                const std::string& source) {
    return "OpenGL вернул ошибку: " + number + " " + description + "; " + source +
           ". Для устранения неполадки попробуйте следующее:" + NL2 +
           "1. Изменить параметры графики" + NL + "2. Перезапустить игру" + NL +
           "3. Обновить драйвер видеокарты (OpenGL 3.3 или новее)." + NL2 +
           "При повторении этой ошибки обратитесь в службу поддержки Orvelsoft.";
}

bool UseSoftwareRenderer(const Module1& m) {
    return SoftwareRenderer(m.DeviceNum, m.RenderNum);
}

void ChooseRenderer(const Module1& m) {
    if (UseSoftwareRenderer(m)) qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
}

bool FillVideoLists(VideoLists& out, int selectedAdapter, DialogPort& dialogs,
                    const std::function<void(const std::string&)>& logError) {
    out = {};
    std::string renderer;
    std::string failure;
    {
        QOffscreenSurface surface;
        surface.create();
        QOpenGLContext ctx;
        if (!ctx.create() || !ctx.makeCurrent(&surface)) {
            failure = "контекст OpenGL не создаётся; код=0; GetDisplayModes";
        } else {
            const auto* r = ctx.functions()->glGetString(GL_RENDERER);
            renderer = r != nullptr ? reinterpret_cast<const char*>(r) : "OpenGL";
            ctx.doneCurrent();
        }
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (failure.empty() && screens.isEmpty())
        failure = "нет ни одного экрана; код=0; GetDisplayModes";
    if (!failure.empty()) {
        const std::string text =
            "Не удается инициализировать OpenGL. Убедитесь, что драйвер видеокарты корректно "
            "установлен." +
            NL2 + "Подробное описание ошибки:" + failure + NL2 + "Продолжение невозможно.";
        if (logError) logError(text);
        dialogs.Message(text, MsgIcon::Critical, MsgButtons::Ok);
        return false;
    }
    for (QScreen* s : screens) {
        const QRect g = s->geometry();
        out.adapters.push_back(s->name().toStdString() + " (" + std::to_string(g.width()) + "x" +
                               std::to_string(g.height()) + ") — " + renderer);
    }
    out.devices.push_back(kHardwareDevice);
    // Only the primary adapter can be given Mesa's software rasteriser.
    if (selectedAdapter <= 0) out.devices.push_back(kSoftwareDevice);
    return true;
}

void QuitProgram(const std::function<void()>& saveSettings, int code) {
    if (saveSettings) saveSettings();
    std::fflush(nullptr);
    std::_Exit(code);
}

QtDisplay::QtDisplay(Module1& m, QOpenGLWidget& window, DialogPort& dialogs,
                     std::function<void(const std::string&)> logError)
    : m_(m), window_(window), dialogs_(dialogs), logError_(std::move(logError)) {}

QtDisplay::~QtDisplay() = default;

bool QtDisplay::Fail(const std::string& number, const std::string& description,
                     const std::string& source) {
    const std::string text = DisplayErrorMessage(number, description, source);
    if (logError_) logError_(text);
    dialogs_.Message(text, MsgIcon::Exclamation, MsgButtons::Ok);
    return false;
}

QScreen* AdapterScreen(int deviceNum) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (deviceNum >= 0 && deviceNum < screens.size()) return screens[deviceNum];
    return QGuiApplication::primaryScreen();
}

void QtDisplay::ApplyWindowMode() {
    // The chosen adapter is the screen the match is shown on.
    QScreen* screen = AdapterScreen(m_.DeviceNum);
    const bool moved = screen != nullptr && window_.screen() != screen;
    if (moved) window_.setScreen(screen);
    if (m_.Windowed != 0) {
        if (window_.isFullScreen()) window_.showNormal();
        if (screen != nullptr) {
            // The mode's size, or smaller with its proportions when the desktop is.
            const QRect avail = screen->availableGeometry();
            QSize size(m_.ScreenW, m_.ScreenH);
            if (size.width() > avail.width() || size.height() > avail.height())
                size.scale(avail.size() * 9 / 10, Qt::KeepAspectRatio);
            window_.resize(size);
            if (!window_.isVisible() || moved)
                window_.move(avail.center() - QPoint(size.width() / 2, size.height() / 2));
        }
        window_.show();
    } else {
        // Without a window manager an unsized window would stay 0x0.
        if (screen != nullptr) window_.setGeometry(screen->geometry());
        window_.showFullScreen();
    }
}

void QtDisplay::ToggleWindowed() {
    m_.Windowed = Flag(m_.Windowed == 0);
    ApplyWindowMode();
}

bool QtDisplay::InitDisplay() {
    SetCaption("Инициализация OpenGL...");
    FixDisplaySettings(m_);
    ApplyWindowMode();
    window_.makeCurrent();
    QOpenGLContext* ctx = window_.context();
    if (ctx == nullptr || !ctx->isValid() || QOpenGLContext::currentContext() != ctx)
        return Fail("0", "контекст OpenGL не создан", "InitDisplay");
    const QSurfaceFormat f = ctx->format();
    if (f.version() < qMakePair(3, 3))
        return Fail("0",
                    "нужен OpenGL 3.3, есть " + std::to_string(f.majorVersion()) + "." +
                        std::to_string(f.minorVersion()),
                    "InitDisplay");
    QOpenGLExtraFunctions* gl = ctx->extraFunctions();
    const auto* r = gl->glGetString(GL_RENDERER);
    renderer_ = r != nullptr ? reinterpret_cast<const char*>(r) : "";
    while (gl->glGetError() != 0) {
    }
    if (m_.ScreenW < 1 || m_.ScreenH < 1)
        return Fail("0", "неверный режим экрана", "CreateFramebuffer");
    gl->glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize_);
    if (m_.ScreenW > maxSize_ || m_.ScreenH > maxSize_)
        return Fail("0",
                    "режим " + std::to_string(m_.ScreenW) + "x" + std::to_string(m_.ScreenH) +
                        " больше предельного размера " + std::to_string(maxSize_),
                    "CreateFramebuffer");
    unsigned e = 0;
    if (!FitTarget(&e)) return Fail(Hex(e), GlErrorText(e), "CreateFramebuffer");
    return true;
}

QSize QtDisplay::PictureSize() const {
    const qreal dpr = window_.devicePixelRatioF();
    PixelSize screen;
    if (const QScreen* s = window_.screen())
        screen = {qRound(s->size().width() * dpr), qRound(s->size().height() * dpr)};
    const PixelSize window{qRound(window_.width() * dpr), qRound(window_.height() * dpr)};
    const PixelSize p = MatchPictureSize(m_, screen, window);
    // Never past what the driver can hold, nor what the match's numbers can.
    const int limit = std::min(maxSize_ > 0 ? maxSize_ : 4096, 16384);
    QSize size(std::max(1, p.w), std::max(1, p.h));
    if (size.width() > limit || size.height() > limit)
        size.scale(limit, limit, Qt::KeepAspectRatio);
    return size;
}

bool QtDisplay::FitTarget(unsigned* glError) {
    const QSize want = PictureSize();
    if (fbo_ == nullptr || fbo_->size() != want) {
        QOpenGLExtraFunctions* gl = QOpenGLContext::currentContext()->extraFunctions();
        while (gl->glGetError() != 0) {
        }
        auto fbo = std::make_unique<QOpenGLFramebufferObject>(
            want, QOpenGLFramebufferObject::CombinedDepthStencil);
        if (!fbo->isValid()) {
            if (glError != nullptr) *glError = gl->glGetError();
            // A picture that cannot grow keeps the one it has.
            if (fbo_ == nullptr) return false;
        } else {
            fbo_ = std::move(fbo);
        }
    }
    m_.PictureW = static_cast<i16>(fbo_->width());
    m_.PictureH = static_cast<i16>(fbo_->height());
    return true;
}

void QtDisplay::ShutdownDisplay() {
    const bool current = window_.context() != nullptr;
    if (current) window_.makeCurrent();
    if (onShutdown_) onShutdown_();
    fbo_.reset();
    m_.PictureW = 0;
    m_.PictureH = 0;
    if (current) window_.doneCurrent();
    // Leave full screen, but never bring back a window that is already gone.
    if (window_.isVisible() && window_.isFullScreen()) window_.showNormal();
}

void QtDisplay::SetCaption(const std::string& caption) {
    window_.setWindowTitle(QString::fromStdString(caption));
    // The steps of the start-up are long: let the title reach the screen now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool QtDisplay::BindTarget() {
    if (fbo_ == nullptr || QOpenGLContext::currentContext() == nullptr) return false;
    FitTarget(nullptr);
    return fbo_->bind();
}

QRect QtDisplay::ViewRect() const {
    const qreal dpr = window_.devicePixelRatioF();
    const QSize win(qRound(window_.width() * dpr), qRound(window_.height() * dpr));
    QSize pic = fbo_ != nullptr ? fbo_->size() : QSize(m_.ScreenW, m_.ScreenH);
    pic.scale(win, Qt::KeepAspectRatio);
    return QRect(QPoint((win.width() - pic.width()) / 2, (win.height() - pic.height()) / 2), pic);
}

void QtDisplay::Present(unsigned windowFramebuffer) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    if (ctx == nullptr || fbo_ == nullptr) return;
    QOpenGLExtraFunctions* gl = ctx->extraFunctions();
    const qreal dpr = window_.devicePixelRatioF();
    gl->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, windowFramebuffer);
    gl->glViewport(0, 0, qRound(window_.width() * dpr), qRound(window_.height() * dpr));
    gl->glDisable(GL_SCISSOR_TEST);
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl->glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_->handle());
    const QRect v = ViewRect();
    gl->glBlitFramebuffer(0, 0, fbo_->width(), fbo_->height(), v.left(), v.top(),
                          v.left() + v.width(), v.top() + v.height(), GL_COLOR_BUFFER_BIT,
                          GL_LINEAR);
    gl->glBindFramebuffer(GL_FRAMEBUFFER, windowFramebuffer);
}

} // namespace kv
