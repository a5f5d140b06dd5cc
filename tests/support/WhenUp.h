#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Once a window of type W is the active popup or modal window and `ready` for it, hands it to
// `act`, which records what the test wants to know and closes it: the test asserts after its
// own call returns, so a failure never leaves a window open.
template <typename W>
void whenUp(
    std::function<void(W*)> act, std::function<bool(W*)> ready = [](W*) { return true; }) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act), ready] {
        QWidget* up = QApplication::activePopupWidget();
        auto* window = qobject_cast<W*>(up ? up : QApplication::activeModalWidget());
        if (window && ready(window)) {
            poll->stop();
            poll->deleteLater();
            act(window);
        }
    });
    poll->start();
}
