// SPDX-License-Identifier: MIT
// The report's HTML: what an operator or an auditor reads about a batch and each of its devices.
#include "report/ReportHtml.h"

#include "counters/CounterText.h"

#include "device/SettingsBlock.h"
#include "session/SettingsJson.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace zeph::report {

namespace {

using commissioning::BatchOutcome;
using commissioning::DeviceOutcome;
using commissioning::Verdict;

const QString NotRead = QStringLiteral("not read");

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString UtcText(const QDateTime& time) {
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QStringLiteral("not recorded");
}

// Rows of a caption and a value that is HTML already; the captions are ours, the values escaped by the
// caller.
using Rows = std::vector<std::pair<QString, QString>>;

QString CaptionTable(const Rows& rows) {
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto& [caption, value] : rows)
        html += QStringLiteral("<tr><td width=\"130\">%1</td><td>%2</td></tr>").arg(caption, value);
    return html + QStringLiteral("</table>");
}

// A bordered table whose header comes again on every page it reaches; a marked row is shaded and bold,
// so that a difference stands out.
QString GridTable(const QStringList& header, const std::vector<std::pair<bool, QStringList>>& rows) {
    QString html = QStringLiteral(
        "<table border=\"1\" style=\"border-collapse: collapse\" cellspacing=\"0\" cellpadding=\"1\" "
        "width=\"100%\"><thead><tr>");
    for (const QString& caption : header)
        html += QStringLiteral("<th align=\"left\" bgcolor=\"#e8e8e8\">%1</th>").arg(caption);
    html += QStringLiteral("</tr></thead>");
    for (const auto& [marked, cells] : rows) {
        html += QStringLiteral("<tr>");
        for (const QString& cell : cells)
            html += marked ? QStringLiteral("<td bgcolor=\"#ffd0d0\"><b>%1</b></td>").arg(cell)
                           : QStringLiteral("<td>%1</td>").arg(cell);
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

// The device's error flags 0 to 7 by the captions the window shows them with.
QString ErrorFlagsText(std::uint8_t flags) {
    const QStringList captions = counters::ErrorFlagCaptions(flags);
    return QStringLiteral("0x%1 %2")
        .arg(flags, 2, 16, QLatin1Char('0'))
        .arg(captions.isEmpty() ? QStringLiteral("none") : captions.join(QStringLiteral(", ")));
}

QString VerdictHtml(Verdict verdict) {
    const QString name = commissioning::VerdictName(verdict);
    switch (verdict) {
    case Verdict::Passed:
        return QStringLiteral("<b><font color=\"#006000\">%1</font></b>").arg(name);
    case Verdict::Failed:
        return QStringLiteral("<b><font color=\"#b00000\">%1</font></b>").arg(name);
    default:
        return name;
    }
}

QString OrNotKnown(const QString& text) {
    return text.isEmpty() ? QStringLiteral("not known") : Escaped(text);
}

QString CoverHtml(const BatchOutcome& batch) {
    QString html = QStringLiteral("<h1>Commissioning report</h1>");
    html += CaptionTable({
        {QStringLiteral("Template"), Escaped(batch.templatePath)},
        {QStringLiteral("Device list"), Escaped(batch.devicesPath)},
        {QStringLiteral("Operator"), Escaped(batch.operatorName)},
        {QStringLiteral("Started"), UtcText(batch.started)},
        {QStringLiteral("Finished"), UtcText(batch.finished)},
    });
    html += QStringLiteral("<h3>Totals</h3><p>%1 devices: %2 passed, %3 failed, %4 not run</p>")
                .arg(batch.devices.size())
                .arg(batch.Count(Verdict::Passed))
                .arg(batch.Count(Verdict::Failed))
                .arg(batch.Count(Verdict::NotRun));
    if (batch.stopped) html += QStringLiteral("<p><b>Stopped before every device ran.</b></p>");
    // The last hash lets a reader check later that the trail still ends where this run left it.
    html += QStringLiteral("<h3>Audit trail</h3><p>%1 records; SHA-256 of the last record:<br/>%2</p>")
                .arg(batch.auditRecords)
                .arg(batch.auditLastHash.isEmpty() ? QStringLiteral("none")
                                                   : Escaped(QString::fromLatin1(batch.auditLastHash)));
    return html;
}

QString SettingsHtml(const DeviceOutcome& device) {
    std::vector<std::pair<bool, QStringList>> rows;
    for (const device::FieldRef field : device::AllSettingsFields()) {
        const QString target =
            device.target ? session::JsonValueText(session::JsonValue(*device.target, field)) : NotRead;
        const QString readBack =
            device.readBack ? session::JsonValueText(session::JsonValue(device.readBack->page, field))
                            : NotRead;
        // Only two values read can differ; a missing one is told by "not read" already.
        const bool differs = device.target && device.readBack && target != readBack;
        rows.push_back({differs,
                        {session::JsonPath(field), Escaped(target), Escaped(readBack),
                         differs ? QStringLiteral("differs") : QString()}});
    }
    return QStringLiteral("<h3>Settings</h3>") +
           GridTable({QStringLiteral("Setting"), QStringLiteral("Target"), QStringLiteral("Read back"),
                      QStringLiteral("Check")},
                     rows);
}

QString ChangesHtml(const DeviceOutcome& device) {
    QString html = QStringLiteral("<h3>Changes</h3>");
    if (device.changes.empty()) {
        html += QStringLiteral("<p>nothing changed</p>");
    } else {
        std::vector<std::pair<bool, QStringList>> rows;
        for (const commissioning::FieldChange& change : device.changes)
            rows.push_back({false,
                            {Escaped(change.field), Escaped(session::JsonValueText(change.before)),
                             Escaped(session::JsonValueText(change.after))}});
        html += GridTable({QStringLiteral("Field"), QStringLiteral("Before"), QStringLiteral("After")}, rows);
    }
    if (device.initialized) html += QStringLiteral("<p>first initialization ran</p>");
    return html;
}

QString PresetsHtml(const device::PresetSelection& presets) {
    QStringList asked;
    for (int k = 0; k < int(presets.size()); ++k)
        if (presets[k]) asked << QStringLiteral("counter %1 to %2").arg(k + 1).arg(*presets[k]);
    return QStringLiteral("<h3>Presets</h3><p>%1</p>")
        .arg(asked.isEmpty() ? QStringLiteral("none asked for") : asked.join(QStringLiteral(", ")));
}

QString CountersHtml(const std::optional<device::CounterStatusReport>& counters) {
    QString html = QStringLiteral("<h3>Counters at the end</h3>");
    if (!counters) return html + QStringLiteral("<p>%1</p>").arg(NotRead);
    std::vector<std::pair<bool, QStringList>> rows;
    for (int k = 0; k < 8; ++k)
        rows.push_back(
            {false,
             {QString::number(k + 1), QString::number(counters->counters[k]),
              counters->intervals[k] == device::NoInterval ? QStringLiteral("none")
                                                           : QString::number(counters->intervals[k])}});
    html += GridTable({QStringLiteral("Input"), QStringLiteral("Counter"), QStringLiteral("Interval (ms)")},
                      rows);
    return html + CaptionTable({
                      {QStringLiteral("Current errors"), ErrorFlagsText(counters->currentErrors)},
                      {QStringLiteral("Latched errors"), ErrorFlagsText(counters->latchedErrors)},
                  });
}

QString DeviceHtml(const DeviceOutcome& device) {
    // The heading carries the page break, so that every device begins its own page.
    QString html =
        QStringLiteral("<h2 style=\"page-break-before: always\">Device %1</h2>").arg(Escaped(device.tag));
    Rows identity = {
        {QStringLiteral("Tag"), Escaped(device.tag)},
        {QStringLiteral("Port"), OrNotKnown(device.port)},
        {QStringLiteral("Adapter"), OrNotKnown(device.adapter)},
        {QStringLiteral("Verdict"), VerdictHtml(device.verdict)},
    };
    if (device.verdict == Verdict::Failed) {
        identity.push_back({QStringLiteral("Failed at"), commissioning::StepName(device.step)});
        identity.push_back({QStringLiteral("Reason"), Escaped(device.reason)});
    }
    identity.push_back({QStringLiteral("Sends"), QString::number(device.sends)});
    identity.push_back(
        {QStringLiteral("Time"), QStringLiteral("%1 s").arg(device.elapsedMs / 1000.0, 0, 'f', 1)});
    html += CaptionTable(identity);
    if (device.fromEarlierRun)
        return html + QStringLiteral("<p>It passed in an earlier run into the same folder, which the figures "
                                     "above are from, and was not touched in this run.</p>");

    html += SettingsHtml(device) + ChangesHtml(device) + PresetsHtml(device.presets) +
            CountersHtml(device.counters);
    html += QStringLiteral("<h3>Settings file</h3><p>%1</p>")
                .arg(device.settingsFile.isEmpty() ? QStringLiteral("not written")
                                                   : Escaped(device.settingsFile));
    return html;
}

} // namespace

QString CommissioningReportHtml(const BatchOutcome& batch) {
    QString html = QStringLiteral("<html><body>") + CoverHtml(batch);
    for (const DeviceOutcome& device : batch.devices)
        html += DeviceHtml(device);
    return html + QStringLiteral("</body></html>");
}

} // namespace zeph::report
