#pragma once

#include <QObject>

namespace orvalis {

// Makes the application ignore mouse and keyboard input for as long as it
// lives, for a command that works on the GUI thread without returning to the
// event loop. Input that piled up meanwhile is dropped when it ends, so a
// click made during a long generation does not run once it is over.
class InputBlocker : public QObject {
public:
    InputBlocker();
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace orvalis
