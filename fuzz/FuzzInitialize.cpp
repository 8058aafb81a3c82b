// SPDX-License-Identifier: MIT
// libFuzzer's set-up hook, linked into every fuzz target: a quiet Qt core application.
#include <QCoreApplication>
#include <QLoggingCategory>

// The engine's timers need an application object. The configurator's logging stays off, as it is by
// default: a warning printed for every refused input would only slow the run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "zeph7208-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("zeph.*=false"));
    return 0;
}
