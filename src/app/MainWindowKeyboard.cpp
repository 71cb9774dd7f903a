// The window's keyboard: the tab order, Space and Return on the pictures and
// switches, and the usual shortcuts.
#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>

#include "app/KeyActivation.h"
#include "app/MainWindow.h"

namespace orvalis {

namespace {

void AddShortcut(QWidget* window, const QKeySequence& keys, const std::function<void()>& action) {
    QObject::connect(new QShortcut(keys, window), &QShortcut::activated, window, action);
}

}  // namespace

void TForm1::BuildKeyboard() {
    Button2->setText(QStringLiteral("&Save"));
    Button1->setText(QStringLiteral("&Load"));
    Button3->setText(QString::fromUtf8(kGenerateCaption));

    for (PictureBox* box : {Image1, Image2, Image3, Image4, Image5, Image6}) {
        KeyActivation::Install(box, [box] { emit box->Clicked(); });
    }
    for (ClickableLabel* label : {StaticText2, StaticText4, Label4}) {
        KeyActivation::Install(label, [label] { emit label->Clicked(); });
    }
    KeyActivation::Install(SunPos);
    KeyActivation::Install(LightDir);

    // Generate first, then Load and Save, then the pictures top to bottom.
    QWidget* const order[] = {PageControl, Button3, Button1, Button2, StaticText2, Image1,
                                    Image2, Image3, Image4, Image5, Image6, SunPos, LightDir,
                                    UseLighting, ExportButton, StaticText4, Label4};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    AddShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Button2->click(); });
    AddShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_O), [this] { Button1->click(); });
    AddShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_G), [this] { Button3->click(); });
    AddShortcut(this, QKeySequence(Qt::Key_F5), [this] { Button3->click(); });
    AddShortcut(this, QKeySequence(kQuitKeys), [this] { close(); });
    // Export and the preview's own window, in the window's context menu
    // (the Menu key opens it) with their keys.
    ExportAction = new QAction(QStringLiteral("&Export..."), this);
    ExportAction->setShortcut(QKeySequence(kExportKeys));
    connect(ExportAction, &QAction::triggered, this, [this] { Run([this] { ExportClick(); }); });
    BigPreviewAction = new QAction(QStringLiteral("Preview in its own &window"), this);
    BigPreviewAction->setShortcut(QKeySequence(kBigPreviewKeys));
    connect(BigPreviewAction, &QAction::triggered, this, [this] { Run([this] { BigPreviewClick(); }); });
    addActions({ExportAction, BigPreviewAction});
    setContextMenuPolicy(Qt::ActionsContextMenu);
    Panel1Container->setToolTip(QStringLiteral("F11 or the context menu: the preview in its own window"));

    for (int page = 0; page < PageControl->count(); ++page) {
        AddShortcut(this, QKeySequence(QKeyCombination(Qt::CTRL, Qt::Key(Qt::Key_1 + page))),
                    [this, page] { PageControl->setCurrentIndex(page); });
    }
}

}  // namespace orvalis
