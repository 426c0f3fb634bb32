// SPDX-License-Identifier: MIT

#include "backends/wayland/CompositorFrames.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

class ExposeRepaints : public QObject {
  public:
    explicit ExposeRepaints(QWidget& widget) : QObject(&widget), widget_(widget) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && widget_.isVisible())
            widget_.update();
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget& widget_;
};

// Qt delivers a window's update request once the frame callback of its last commit came.
class UpdateRequestQuits : public QObject {
  public:
    explicit UpdateRequestQuits(QEventLoop& loop) : loop_(loop) {}
    bool delivered = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest) {
            delivered = true;
            loop_.quit();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QEventLoop& loop_;
};

} // namespace

void CommitEachConfigure(QWidget& widget) {
    widget.winId(); // the native window, so that its events can be watched
    if (QWindow* window = widget.windowHandle())
        window->installEventFilter(new ExposeRepaints(widget));
}

bool WaitPresented(QWidget& widget, int timeoutMs) {
    QWindow* window = widget.windowHandle();
    if (!window || !widget.isVisible())
        return false;
    QEventLoop loop;
    UpdateRequestQuits filter(loop);
    window->installEventFilter(&filter);
    window->requestUpdate();
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!filter.delivered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    window->removeEventFilter(&filter);
    return filter.delivered;
}
