#include "UpDown.h"

#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

namespace angoka {
namespace {

// A small solid triangle, sharp on high-density screens too.
QIcon ArrowIcon(bool up, const QColor& color) {
    constexpr int kScale = 4;
    QPixmap pixmap(7 * kScale, 4 * kScale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const double w = pixmap.width(), h = pixmap.height();
    const QPointF points[] = {up ? QPointF(w / 2, 0) : QPointF(0, 0), up ? QPointF(w, h) : QPointF(w, 0),
                              up ? QPointF(0, h) : QPointF(w / 2, h)};
    painter.drawPolygon(points, 3);
    painter.end();
    pixmap.setDevicePixelRatio(kScale);
    return QIcon(pixmap);
}

}  // namespace

UpDown::UpDown(int minimum, int maximum, int value, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      value_(std::clamp(value, minimum, maximum)),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    setFocusPolicy(Qt::StrongFocus);
    const QColor arrowColor = palette().color(QPalette::ButtonText);
    for (auto [button, up, name, step] :
         {std::tuple{up_, true, "up", 1}, std::tuple{down_, false, "down", -1}}) {
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(ArrowIcon(up, arrowColor));
        button->setIconSize(QSize(7, 4));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        connect(button, &QToolButton::clicked, this, [this, step = step] {
            setFocus(Qt::MouseFocusReason);
            stepBy(step);
        });
    }
}

void UpDown::setValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_) return;
    value_ = value;
    emit valueChanged(value_);
}

void UpDown::resizeEvent(QResizeEvent*) {
    // The focus frame takes one pixel on each side; the upper button gets the smaller half.
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const int upper = inside.height() / 2;
    up_->setGeometry(inside.left(), inside.top(), inside.width(), upper);
    down_->setGeometry(inside.left(), inside.top() + upper, inside.width(), inside.height() - upper);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            stepBy(1);
            break;
        case Qt::Key_Down:
        case Qt::Key_Left:
            stepBy(-1);
            break;
        case Qt::Key_Home:
            setValue(minimum_);
            break;
        case Qt::Key_End:
            setValue(maximum_);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void UpDown::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) stepBy(steps);
    event->accept();
}

void UpDown::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void UpDown::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void UpDown::paintEvent(QPaintEvent*) {
    if (!hasFocus()) return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace angoka
