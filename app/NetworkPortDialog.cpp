// SPDX-License-Identifier: MIT
// The dialog that adds a network serial server to the port list.
#include "app/NetworkPortDialog.h"

#include "app/widgets/MakeNamed.h"
#include "line/PortText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zeph::app {

NetworkPortDialog::NetworkPortDialog(QWidget* parent)
    : QDialog(parent)
    , LineEdit_Host(MakeNamed<QLineEdit>("LineEdit_Host", this))
    , SpinBox_Port(MakeNamed<QSpinBox>("SpinBox_Port", this))
    , RadioButton_RawTcp(MakeNamed<QRadioButton>("RadioButton_RawTcp", tr("&Raw TCP (tcp://)"), this))
    , RadioButton_Rfc2217(
          MakeNamed<QRadioButton>("RadioButton_Rfc2217", tr("RFC &2217, the server sets the port"), this))
    , LineEdit_Allowance(MakeNamed<QLineEdit>("LineEdit_Allowance", this))
    , Label_NetworkPortError(MakeNamed<QLabel>("Label_NetworkPortError", this)) {
    setObjectName(QStringLiteral("NetworkPortDialog"));
    setWindowTitle(tr("Add network port"));

    LineEdit_Host->setAccessibleDescription(tr("The serial server's host name or IP address"));
    SpinBox_Port->setRange(1, 65535);
    SpinBox_Port->setValue(4001);
    SpinBox_Port->setAccessibleDescription(tr("The serial server's TCP port, 1 to 65535"));
    RadioButton_RawTcp->setChecked(true);
    RadioButton_RawTcp->setAccessibleDescription(tr("The characters go to and fro as they are"));
    RadioButton_Rfc2217->setAccessibleDescription(
        tr("Telnet with RFC 2217: the server sets its serial port to 19200 baud 8N1"));
    LineEdit_Allowance->setPlaceholderText(tr("the line's default"));
    LineEdit_Allowance->setAccessibleDescription(
        tr("Milliseconds the network adds to the time an answer may take; empty for the line's default"));
    Label_NetworkPortError->setWordWrap(true);
    Label_NetworkPortError->setStyleSheet(QStringLiteral("color: rgb(190, 0, 0);"));
    Label_NetworkPortError->setVisible(false);

    auto* kind = new QVBoxLayout;
    kind->addWidget(RadioButton_RawTcp);
    kind->addWidget(RadioButton_Rfc2217);
    auto* form = new QFormLayout;
    const auto addRow = [this, form](const char* name, const QString& caption, QWidget* field) {
        auto* label = MakeNamed<QLabel>(name, caption, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow("Label_Host", tr("&Host:"), LineEdit_Host);
    addRow("Label_Port", tr("&Port:"), SpinBox_Port);
    form->addRow(MakeNamed<QLabel>("Label_Kind", tr("Kind:"), this), kind);
    addRow("Label_Allowance", tr("&Allowance for answers, ms:"), LineEdit_Allowance);
    // Radio buttons name their group for a screen reader only through an accessible name of their own.
    for (QRadioButton* button : {RadioButton_RawTcp, RadioButton_Rfc2217})
        button->setAccessibleName(tr("Kind: %1").arg(button->text().remove(QLatin1Char('&'))));

    auto* buttons = MakeNamed<QDialogButtonBox>("ButtonBox_NetworkPort",
                                                QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NetworkPortDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NetworkPortDialog::reject);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(form);
    rows->addWidget(Label_NetworkPortError);
    rows->addWidget(buttons);
    const QList<QWidget*> order{LineEdit_Host,       SpinBox_Port,       RadioButton_RawTcp,
                                RadioButton_Rfc2217, LineEdit_Allowance, buttons};
    for (qsizetype k = 1; k < order.size(); ++k)
        setTabOrder(order[k - 1], order[k]);
    LineEdit_Host->setFocus();
}

// The entries are put together as a port text and judged by the parser the command-line tool uses, so
// both say the same about the same mistake. The field at fault gets the focus.
void NetworkPortDialog::accept() {
    QString host = LineEdit_Host->text().trimmed();
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const QString endpoint =
        (RadioButton_Rfc2217->isChecked() ? QStringLiteral("rfc2217://") : QStringLiteral("tcp://")) + host +
        QLatin1Char(':') + QString::number(SpinBox_Port->value());
    const QString allowance = LineEdit_Allowance->text().trimmed();
    QString error;
    QWidget* atFault = LineEdit_Host;
    std::optional<line::PortAddress> address = line::ParsePortText(endpoint, &error);
    if (address && !allowance.isEmpty()) {
        atFault = LineEdit_Allowance;
        address = line::ParsePortText(endpoint + QStringLiteral("?allowance_ms=") + allowance, &error);
    }
    if (!address) {
        Label_NetworkPortError->setText(error);
        Label_NetworkPortError->setAccessibleName(error);
        Label_NetworkPortError->setVisible(true);
        atFault->setFocus();
        return;
    }
    m_portText = line::PortTextOf(*address);
    QDialog::accept();
}

} // namespace zeph::app
