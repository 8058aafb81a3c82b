// SPDX-License-Identifier: MIT
// Tests of the serial port component over real pseudo-terminal pairs.
#pragma once

#include <QObject>

namespace zeph::comport::test {

class ComPortTest : public QObject {
    Q_OBJECT

private slots:
    void constructorValues();
    void lineSettings_data();
    void lineSettings();
    void openAndWrite();
    void largeWriteDoesNotBlock();
    void rawDelivery();
    void stretchIsHandedOverInOnePiece();
    void terminatedDelivery_data();
    void terminatedDelivery();
    void terminatorText_data();
    void terminatorText();
    void openFailure_data();
    void openFailure();
    void closedPortIgnoresCalls();
    void eventsSeeTheNewState();
    void destructionClosesQuietly();
    void closeInsideReceiveCallBack();
    void hangUpLeavesThreadIdle();
    void modemLineStatus_data();
    void modemLineStatus();
    void modemEvents_data();
    void modemEvents();
};

} // namespace zeph::comport::test
