// SPDX-License-Identifier: MIT
// Runs the serial port tests and the port probe tests as one program. Test functions named on the
// command line go to the class that has them.
#include "ComPortTest.h"
#include "PortProbeTest.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QTest>

namespace {

// Whether object should run: no function named, or one of the named functions is its own.
bool Selected(const QObject& object, const QStringList& arguments) {
    QStringList functions;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1Char('-'))) {
            // Options that take a value: skip it.
            static const QStringList withValue{"-o", "-eventdelay", "-keydelay", "-mousedelay",
                                               "-maxwarnings"};
            if (withValue.contains(arguments[i])) ++i;
            continue;
        }
        functions << arguments[i].section(QLatin1Char(':'), 0, 0).section(QLatin1Char('('), 0, 0);
    }
    if (functions.isEmpty()) return true;
    const QMetaObject* meta = object.metaObject();
    for (int m = meta->methodOffset(); m < meta->methodCount(); ++m) {
        if (functions.contains(QString::fromLatin1(meta->method(m).name()))) return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    zeph::comport::test::ComPortTest comPortTest;
    zeph::comport::test::PortProbeTest portProbeTest;
    int failures = 0;
    for (QObject* test : {static_cast<QObject*>(&comPortTest), static_cast<QObject*>(&portProbeTest)}) {
        if (Selected(*test, arguments)) failures += QTest::qExec(test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
