// SPDX-License-Identifier: MIT
// The report's HTML laid out on A4 pages by QTextDocument and printed with Qt's PDF writer into memory,
// so that the file is replaced only by a whole report.
#include "report/CommissioningReport.h"

#include "report/ReportHtml.h"
#include "settingsfile/SafeFile.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace zeph::report {

bool WriteCommissioningReport(const QString& path, const commissioning::BatchOutcome& batch, QString* error) {
    // Fonts and the text layout live in Qt GUI; without its application object they would crash.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (error) *error = QStringLiteral("the report needs a QGuiApplication");
        return false;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Commissioning report"));
        writer.setCreator(QStringLiteral("ZEPH7208 configurator"));
        // The whole sheet: QTextDocument::print keeps 2 cm around the text itself and numbers the pages in
        // that margin. Its margins, unlike the writer's, are known to the layout, which keeps a table
        // broken across pages out of them; with the writer's the table's frame runs on through the gap.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QTextDocument document;
        QFont font(QStringLiteral("DejaVu Sans"), 9);
        // Without ligatures: with them "differs" comes out of the PDF with an "ff" sign, and neither a
        // search in a viewer nor a copy of the text finds the word.
        font.setStyleStrategy(QFont::PreferNoShaping);
        document.setDefaultFont(font);
        document.setHtml(CommissioningReportHtml(batch));
        document.print(&writer);
    }
    if (buffer.data().isEmpty()) {
        if (error) *error = QStringLiteral("the PDF writer made nothing");
        return false;
    }
    return settingsfile::WriteFileSafely(path, buffer.data(), error);
}

} // namespace zeph::report
