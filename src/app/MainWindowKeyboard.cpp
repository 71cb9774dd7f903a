// The window's keyboard: the tab order, Space and Return on the pictures and
// switches, and the usual shortcuts.
#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QMenu>
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
    for (ClickableLabel* label : {StaticText2, StaticText4, ReliefSwitch, Label4}) {
        KeyActivation::Install(label, [label] { emit label->Clicked(); });
    }
    KeyActivation::Install(SunPos);
    KeyActivation::Install(LightDir);

    // Generate first, then Load and Save, then the pictures top to bottom.
    QWidget* const order[] = {PageControl, Button3, Button1, Button2, StaticText2, Image1,
                                    Image2, Image3, Image4, Image5, Image6, SunPos, LightDir,
                                    UseLighting, ExportButton, StaticText4, ReliefSwitch, Label4};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    AddShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Button2->click(); });
    AddShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_O), [this] { Button1->click(); });
    for (const QKeySequence& keys : kGenerateKeys) AddShortcut(this, keys, [this] { Button3->click(); });
    MakeMnemonicGlobal(Button2, TabSheet1);
    MakeMnemonicGlobal(Button1, TabSheet1);
    MakeMnemonicGlobal(Button3, TabSheet1);
    MakeMnemonicGlobal(ExportButton, TabSheet4);
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
    // The GL surface is a window of its own, which the window's context
    // menu does not reach: it opens the same menu itself.
    PreviewMenu = new QMenu(this);
    PreviewMenu->addActions(actions());
    Panel1Container->setToolTip(QStringLiteral("F11 or the right mouse button: the preview in its own window,\n"
                                               "to orbit, zoom and make full screen"));

    for (int page = 0; page < PageControl->count(); ++page) {
        AddShortcut(this, PageKeys(page), [this, page] { PageControl->setCurrentIndex(page); });
    }
}

// A button's Alt key works on every page: on its own page the button takes
// it itself, elsewhere a shortcut of the window stands in for it.
void TForm1::MakeMnemonicGlobal(QAbstractButton* button, QWidget* page) {
    auto* shortcut = new QShortcut(QKeySequence::mnemonic(button->text()), this);
    connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    const auto follow = [this, shortcut, page] { shortcut->setEnabled(PageControl->currentWidget() != page); };
    connect(PageControl, &QTabWidget::currentChanged, this, follow);
    follow();
}

}  // namespace orvalis
