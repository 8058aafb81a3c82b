// SPDX-License-Identifier: MIT
// The small dialog that adds a network serial server to the port list: host, port, kind and an optional
// allowance for answers. OK is refused, with the reason shown in the dialog, until the entries make a
// port text the command-line tool would take too.
#pragma once

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace zeph::app {

class NetworkPortDialog : public QDialog {
    Q_OBJECT
public:
    explicit NetworkPortDialog(QWidget* parent = nullptr);

    // The port text of an accepted dialog, as "tcp://host:4001" or "rfc2217://host:4001?allowance_ms=800".
    QString PortText() const { return m_portText; }

    void accept() override;

private:
    QLineEdit* LineEdit_Host;
    QSpinBox* SpinBox_Port;
    QRadioButton* RadioButton_RawTcp;
    QRadioButton* RadioButton_Rfc2217;
    QLineEdit* LineEdit_Allowance;
    QLabel* Label_NetworkPortError;
    QString m_portText;
};

} // namespace zeph::app
