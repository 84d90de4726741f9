// A picture that fills its widget, scaled with its proportions kept.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace kv::ui {

class Picture : public QWidget {
public:
    explicit Picture(QWidget* parent = nullptr) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void SetPixmap(const QPixmap& p) {
        pixmap_ = p;
        updateGeometry();
        update();
    }
    const QPixmap& Pixmap() const { return pixmap_; }
    QSize sizeHint() const override { return pixmap_.isNull() ? QSize(320, 240) : pixmap_.size(); }
    QSize minimumSizeHint() const override { return {160, 120}; }

    // Where the picture lands in a rectangle of the given size.
    static QRect Fit(const QSize& picture, const QRect& area) {
        const QSize s = picture.scaled(area.size(), Qt::KeepAspectRatio);
        return {area.x() + (area.width() - s.width()) / 2,
                area.y() + (area.height() - s.height()) / 2, s.width(), s.height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (pixmap_.isNull()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(Fit(pixmap_.size(), rect()), pixmap_);
    }

private:
    QPixmap pixmap_;
};

} // namespace kv::ui
