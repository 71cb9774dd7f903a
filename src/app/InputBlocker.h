#pragma once

#include <functional>

#include <QKeySequence>
#include <QList>
#include <QObject>

class QEvent;
class QWidget;

namespace orvalis {

// Makes the application ignore mouse and keyboard input for as long as it
// lives, while a command runs in the background, except clicks on a few
// widgets (the Cancel button, the page tabs) and a few keys (quit, the page
// keys), which reach their shortcuts. Esc calls OnEscape; any other key press
// it swallows is handed to OnBlockedKey, so the window can say what became
// of it.
class InputBlocker : public QObject {
public:
    struct Handlers {
        std::function<void()> OnEscape;
        std::function<void(const QKeySequence& keys)> OnBlockedKey;
    };

    InputBlocker(QList<QWidget*> stillUsable, QList<QKeySequence> stillWorking, Handlers handlers);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsOnStillUsable(QEvent* event) const;
    bool IsStillWorkingKey(QEvent* event) const;
    void Blocked(QEvent* event) const;

    QList<QWidget*> stillUsable_;
    QList<QKeySequence> stillWorking_;
    Handlers handlers_;
};

}  // namespace orvalis
