// Saves a picture of each page of a fresh main window: zeph7208-screenshots OUTPUT_DIR.
#include "app/TForm_Main.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: zeph7208-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir output(arguments[1]);

    zeph::app::TForm_Main window;
    // The port list as a technician with one USB adapter would see it.
    window.ListBox_ComPortLista->addItems({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS0")});
    window.ListBox_ComPortLista->setCurrentRow(0);
    window.show();

    const struct {
        QWidget* page;
        const char* file;
    } shots[] = {{window.TabSheet_BeallithatoLetolthetoPar, "settings-page.png"},
                 {window.TabSheet_Impulzusok, "counters-page.png"}};
    for (const auto& shot : shots) {
        window.PageControl_ZT7208->setCurrentWidget(shot.page);
        QApplication::processEvents();
        const QString path = output.filePath(QLatin1String(shot.file));
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
