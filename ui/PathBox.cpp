#include "PathBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QUrl>

#include "QtRunTime.h"
#include "WindowMessages.h"

namespace angoka {
namespace {

// The first dropped item when it is a local file; empty otherwise.
QString DroppedFile(const QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    return !urls.isEmpty() && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

}  // namespace

PathBox::PathBox(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
    setPlaceholderText(ToQString(kDropHint));
}

void PathBox::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason &&
        reason != Qt::ShortcutFocusReason) {
        QLineEdit::focusInEvent(event);
        return;
    }
    // The line edit selects everything when entered from the keyboard; entered any other way
    // it leaves text and cursor alone, which is what a path box does always.
    QFocusEvent plain(event->type(), Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&plain);
}

void PathBox::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event).isEmpty()) return QLineEdit::dragEnterEvent(event);
    event->acceptProposedAction();
}

void PathBox::dragMoveEvent(QDragMoveEvent* event) {
    if (DroppedFile(event).isEmpty()) return QLineEdit::dragMoveEvent(event);
    event->acceptProposedAction();
}

void PathBox::dropEvent(QDropEvent* event) {
    const QString file = DroppedFile(event);
    if (file.isEmpty()) return QLineEdit::dropEvent(event);
    event->acceptProposedAction();
    setText(file);
    emit fileDropped(static_cast<int>(event->mimeData()->urls().size()));
}

}  // namespace angoka
