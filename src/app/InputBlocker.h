#pragma once

#include <functional>

#include <QKeySequence>
#include <QList>
#include <QObject>

class QEvent;
class QWidget;

namespace orvalis {

// Makes the application ignore mouse and keyboard input for as long as it
// lives, while a command runs in the background, except clicks on one widget
// (the Cancel button) and the keys of stillWorking (quit, say), which reach
// their shortcuts; Esc calls onEscape.
class InputBlocker : public QObject {
public:
    InputBlocker(QWidget* stillUsable, std::function<void()> onEscape,
                 QList<QKeySequence> stillWorking = {});
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsOnStillUsable(QEvent* event) const;
    bool IsStillWorkingKey(QEvent* event) const;

    QWidget* stillUsable_;
    std::function<void()> onEscape_;
    QList<QKeySequence> stillWorking_;
};

}  // namespace orvalis
