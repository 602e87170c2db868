#pragma once
// A path box (the elements of Text1): takes a file dropped on it, shows a grey hint while it
// is empty, and keeps its text and cursor as they are when it is entered, by Tab too (a
// plain line edit selects all of it then).
#include <QLineEdit>

namespace angoka {

class PathBox : public QLineEdit {
    Q_OBJECT
public:
    explicit PathBox(QWidget* parent = nullptr);

signals:
    // A local file was dropped; the box already holds its path. `fileCount` counts every item
    // dropped with it (only the first one is taken).
    void fileDropped(int fileCount);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace angoka
