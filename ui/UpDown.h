#pragma once
// An up-down control: two stacked arrow buttons and an integer value within a range, with
// no text of its own (a label next to it shows the value). It takes the keyboard focus;
// the Up and Down keys and the mouse wheel step the value too, Page Up and Page Down by 5.
// A screen reader sees a spin box with its value and range.
#include <QWidget>

class QToolButton;

namespace angoka {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, int value, QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // Clamped to the range; valueChanged is emitted only when the value really changes.
    void setValue(int value);
    void stepBy(int steps) { setValue(value_ + steps); }

    static constexpr int kPageStep = 5;

signals:
    void valueChanged(int value);

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Arrows in the palette's button text colour, drawn again when the palette changes.
    void DrawArrows();

    int minimum_, maximum_, value_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace angoka
