// SPDX-License-Identifier: MIT
// The simulator's test program: the device model and the line codecs from data tables, the transports over
// a real pseudo-terminal and TCP, and the zeph7208-sim program.
#pragma once

#include <QObject>

class TestSim : public QObject {
    Q_OBJECT

private slots:
    // Device model (tst_sim_model.cpp)
    void answersByCode_data();
    void answersByCode();
    void writeThenReadReturnsBlock();
    void writeValidation_data();
    void writeValidation();
    void clearResetsLatchedOnly();
    void preset_data();
    void preset();
    void firstInitialization();
    void counting_data();
    void counting();
    void activityLastsUntilReport();
    void timeLimitFlag();
    void counterOverflow();
    void namurFaults();

    // The device's codec, request reception and answer shaping (tst_sim_model.cpp)
    void crc16_data();
    void crc16();
    void lineCharacters_data();
    void lineCharacters();
    void requestDecoder_data();
    void requestDecoder();
    void requestDecoderAnyChunking();
    void parseFault_data();
    void parseFault();
    void faultsForAnswers_data();
    void faultsForAnswers();
    void shapeAnswer_data();
    void shapeAnswer();

    // Over a pseudo-terminal (tst_sim_line.cpp)
    void answersOverLine();
    void silentToOthers_data();
    void silentToOthers();
    void lineFaults_data();
    void lineFaults();
    void lateAnswer();
    void answerDelay();
    void hangUp();
    void pacingAndChunks_data();
    void pacingAndChunks();
    void requestLogKeepsOrder();
    void stopIsQuickDuringLateAnswer();
    void strictLine_data();
    void strictLine();
    void servesOverTcp();

    // The program (tst_sim_line.cpp)
    void programServesAndExitsOnSigterm_data();
    void programServesAndExitsOnSigterm();
    void programRefusesBadOptions_data();
    void programRefusesBadOptions();
    void programHelpDescribesEveryFault();
};
