#pragma once

#include <functional>

#include <QObject>

class QWidget;

namespace orvalis {

// Makes a control reachable with Tab: it takes the focus and shows it with a
// frame in the highlight colour; when it acts on a click, Space or Return act
// as that click. Owned by the control.
class KeyActivation : public QObject {
public:
    static void Install(QWidget* control, std::function<void()> click = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyActivation(QWidget* control, std::function<void()> click);

    QWidget* control_;
    std::function<void()> click_;
};

}  // namespace orvalis
