// tolvaro-shots DIR: renders every registered dialog template to
// DIR/<number>-<caption>.png, for review and for the help pages.
#include <QApplication>
#include <QDir>

#include <cstdio>

#include "ui/qt/qt_host.h"
#include "ui/template.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tolvaro-shots DIR\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "tolvaro-shots: cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (const tolvaro::ui::Template* t : tolvaro::ui::allTemplates()) {
        const QString path = tolvaro::ui::QtHost::renderTemplate(*t, dir);
        if (path.isEmpty()) {
            std::fprintf(stderr, "tolvaro-shots: template %d not written\n", t->number);
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    return failures == 0 ? 0 : 1;
}
