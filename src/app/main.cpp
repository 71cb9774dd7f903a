#include <QApplication>

#include "app/MainWindow.h"
#include "app/QtUserDialogs.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    orvalis::QtUserDialogs dialogs;
    orvalis::TForm1 form(dialogs, QCoreApplication::applicationDirPath());
    form.show();
    return QApplication::exec();
}
