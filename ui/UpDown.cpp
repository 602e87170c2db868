#include "UpDown.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
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

// The control as a screen reader sees it: a spin box with a value, a range and a step.
class UpDownAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit UpDownAccessible(UpDown* upDown) : QAccessibleWidget(upDown, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return QString::number(upDown()->value());
        return QAccessibleWidget::text(type);
    }
    QVariant currentValue() const override { return upDown()->value(); }
    void setCurrentValue(const QVariant& value) override { upDown()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return upDown()->maximum(); }
    QVariant minimumValue() const override { return upDown()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    UpDown* upDown() const { return static_cast<UpDown*>(widget()); }
};

QAccessibleInterface* UpDownAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(UpDown::staticMetaObject.className()) && object && object->isWidgetType())
        return new UpDownAccessible(static_cast<UpDown*>(object));
    return nullptr;
}

}  // namespace

UpDown::UpDown(int minimum, int maximum, int value, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      value_(std::clamp(value, minimum, maximum)),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    static const bool accessible = (QAccessible::installFactory(UpDownAccessibleFactory), true);
    (void)accessible;
    setFocusPolicy(Qt::StrongFocus);
    for (auto [button, name, spoken, step] :
         {std::tuple{up_, "up", "1つ増やす", 1}, std::tuple{down_, "down", "1つ減らす", -1}}) {
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(QString::fromUtf8(spoken));
        button->setIconSize(QSize(7, 4));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        connect(button, &QToolButton::clicked, this, [this, step = step] {
            setFocus(Qt::MouseFocusReason);
            stepBy(step);
        });
    }
    DrawArrows();
}

void UpDown::DrawArrows() {
    const QColor colour = palette().color(QPalette::ButtonText);
    up_->setIcon(ArrowIcon(true, colour));
    down_->setIcon(ArrowIcon(false, colour));
}

void UpDown::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) DrawArrows();
    QWidget::changeEvent(event);
}

void UpDown::setValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_) return;
    value_ = value;
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, value_);
        QAccessible::updateAccessibility(&changed);
    }
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
        case Qt::Key_PageUp:
            stepBy(kPageStep);
            break;
        case Qt::Key_PageDown:
            stepBy(-kPageStep);
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
