// SPDX-License-Identifier: MIT
// Tests of the Telnet codec and negotiation policy, and of the RFC 2217 requests and replies, from byte
// vectors written out by hand.
#include "network/ComPortOption.h"
#include "network/TelnetCodec.h"

#include <QtTest>

using namespace zeph::network;

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex); // the spaces between bytes are skipped
}

// An event as a row writes it: "FB 00" for IAC WILL BINARY, "SB 2C: 65 00" for a sub-negotiation
// with its payload, "CMD F1" for IAC NOP.
QString Text(const TelnetEvent& event) {
    const auto hex = [](QByteArray bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); };
    switch (event.kind) {
    case TelnetEvent::Kind::Negotiation:
        return hex(Negotiation(event.command, event.option).mid(1));
    case TelnetEvent::Kind::SubNegotiation:
        return QStringLiteral("SB %1: %2").arg(hex(QByteArray(1, char(event.option))), hex(event.payload));
    case TelnetEvent::Kind::Command:
        return QStringLiteral("CMD ") + hex(QByteArray(1, char(event.command)));
    }
    return {};
}

struct Decoded {
    QByteArray data;
    QStringList events;
};

// The stream fed to one decoder in the given pieces.
Decoded Decode(const QList<QByteArray>& pieces) {
    TelnetDecoder decoder;
    Decoded decoded;
    std::vector<TelnetEvent> events;
    for (const QByteArray& piece : pieces)
        decoded.data += decoder.Feed(piece, events);
    for (const TelnetEvent& event : events)
        decoded.events << Text(event);
    return decoded;
}

std::vector<TelnetEvent> EventsOf(const QByteArray& stream) {
    std::vector<TelnetEvent> events;
    TelnetDecoder().Feed(stream, events);
    return events;
}

} // namespace

class TestTelnet : public QObject {
    Q_OBJECT
private slots:
    void escaping_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("no FF") << Hex("00 41 FE F0") << Hex("00 41 FE F0");
        QTest::newRow("one FF") << Hex("01 FF 02") << Hex("01 FF FF 02");
        QTest::newRow("FF FF at the ends") << Hex("FF 00 FF") << Hex("FF FF 00 FF FF");
    }
    void escaping() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, escaped);
        QCOMPARE(EscapeData(data), escaped);
        QCOMPARE(SubNegotiation(OptionComPort, data), Hex("FF FA 2C") + escaped + Hex("FF F0"));
        QCOMPARE(Decode({escaped}).data, data);
    }

    void decoder_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("events");
        const QByteArray limit(TelnetDecoder::MaxSubNegotiation, 'A');
        QTest::newRow("data") << Hex("00 41 FE") << Hex("00 41 FE") << QStringList();
        QTest::newRow("IAC IAC") << Hex("01 FF FF 02") << Hex("01 FF 02") << QStringList();
        QTest::newRow("negotiations") << Hex("FF FB 00 41 FF FE 03 FF FC 2C FF FD 01") << Hex("41")
                                      << QStringList{"FB 00", "FE 03", "FC 2C", "FD 01"};
        QTest::newRow("sub-negotiation")
            << Hex("42 FF FA 2C 65 FF FF 00 FF F0 43") << Hex("42 43") << QStringList{"SB 2C: 65 FF 00"};
        QTest::newRow("empty sub-negotiation")
            << Hex("FF FA 2C FF F0") << QByteArray() << QStringList{"SB 2C: "};
        QTest::newRow("commands") << Hex("FF F1 44 FF F9") << Hex("44") << QStringList{"CMD F1", "CMD F9"};
        QTest::newRow("unknown byte after IAC") << Hex("FF 10 45") << Hex("45") << QStringList{"CMD 10"};
        QTest::newRow("SE without SB") << Hex("FF F0 46") << Hex("46") << QStringList{"CMD F0"};
        QTest::newRow("SE missing: the next command ends it")
            << Hex("FF FA 2C 65 00 FF FB 01 47") << Hex("47") << QStringList{"FB 01"};
        QTest::newRow("sub-negotiation at the limit")
            << Hex("FF FA 2C") + limit + Hex("FF F0 48") << Hex("48")
            << QStringList{"SB 2C: " + QString::fromLatin1(limit.toHex(' ').toUpper())};
        QTest::newRow("one byte over the limit is dropped")
            << Hex("FF FA 2C") + limit + Hex("FF FF FF F0 49 FF FA 03 01 FF F0") << Hex("49")
            << QStringList{"SB 03: 01"};
        QTest::newRow("unclosed sub-negotiation")
            << Hex("50 FF FA 2C") + limit + limit << Hex("50") << QStringList();
    }
    // Every split of the stream decodes as the whole does: in two pieces at each position, and byte by byte.
    void decoder() {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, data);
        QFETCH(QStringList, events);
        const Decoded whole = Decode({stream});
        QCOMPARE(whole.data, data);
        QCOMPARE(whole.events, events);
        for (qsizetype at = 1; at < stream.size(); ++at) {
            const Decoded split = Decode({stream.left(at), stream.mid(at)});
            QVERIFY2(split.data == data && split.events == events,
                     qPrintable(QStringLiteral("split after %1").arg(at)));
        }
        QList<QByteArray> bytes;
        for (char byte : stream)
            bytes << QByteArray(1, byte);
        const Decoded single = Decode(bytes);
        QCOMPARE(single.data, data);
        QCOMPARE(single.events, events);
    }

    void opening() {
        QCOMPARE(TelnetOptions().Opening(), Hex("FF FB 00 FF FD 00 FF FB 03 FF FD 03 FF FB 2C"));
    }

    void policy_data() {
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<bool>("comPortAccepted");
        QTest::addColumn<bool>("comPortRefused");
        QTest::newRow("DO BINARY unasked") << false << Hex("FF FD 00") << Hex("FF FB 00") << false << false;
        QTest::newRow("DO BINARY asked") << true << Hex("FF FD 00") << QByteArray() << false << false;
        QTest::newRow("WILL SGA unasked") << false << Hex("FF FB 03") << Hex("FF FD 03") << false << false;
        QTest::newRow("WILL SGA asked") << true << Hex("FF FB 03") << QByteArray() << false << false;
        QTest::newRow("DO COM-PORT unasked") << false << Hex("FF FD 2C") << Hex("FF FB 2C") << true << false;
        QTest::newRow("DO COM-PORT asked") << true << Hex("FF FD 2C") << QByteArray() << true << false;
        QTest::newRow("DONT COM-PORT asked") << true << Hex("FF FE 2C") << QByteArray() << false << true;
        QTest::newRow("DONT then DO COM-PORT")
            << true << Hex("FF FE 2C FF FD 2C") << Hex("FF FB 2C") << true << false;
        QTest::newRow("WILL COM-PORT") << true << Hex("FF FB 2C") << Hex("FF FE 2C") << false << false;
        QTest::newRow("DO ECHO") << true << Hex("FF FD 01") << Hex("FF FC 01") << false << false;
        QTest::newRow("WILL ECHO") << false << Hex("FF FB 01") << Hex("FF FE 01") << false << false;
        QTest::newRow("DONT ECHO") << true << Hex("FF FE 01") << QByteArray() << false << false;
        QTest::newRow("WONT ECHO") << false << Hex("FF FC 01") << QByteArray() << false << false;
        QTest::newRow("WONT BINARY asked") << true << Hex("FF FC 00") << QByteArray() << false << false;
        QTest::newRow("DONT BINARY asked") << true << Hex("FF FE 00") << QByteArray() << false << false;
        QTest::newRow("DONT BINARY when on")
            << true << Hex("FF FD 00 FF FE 00") << Hex("FF FC 00") << false << false;
        QTest::newRow("WONT SGA when on")
            << true << Hex("FF FB 03 FF FC 03") << Hex("FF FE 03") << false << false;
        QTest::newRow("repeats") << true << Hex("FF FD 00 FF FD 00 FF FE 01 FF FE 01") << QByteArray()
                                 << false << false;
        QTest::newRow("not negotiations")
            << true << Hex("FF F1 FF FA 2C 65 00 FF F0") << QByteArray() << false << false;
    }
    void policy() {
        QFETCH(bool, opened);
        QFETCH(QByteArray, server);
        QFETCH(QByteArray, replies);
        TelnetOptions options;
        if (opened) options.Opening();
        QByteArray answered;
        for (const TelnetEvent& event : EventsOf(server))
            answered += options.Answer(event);
        QCOMPARE(answered.toHex(' '), replies.toHex(' '));
        QTEST(options.ComPortAccepted(), "comPortAccepted");
        QTEST(options.ComPortRefused(), "comPortRefused");
    }

    void comPortRequests_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("baud 19200") << SetBaudRate(19200) << Hex("FF FA 2C 01 00 00 4B 00 FF F0");
        QTest::newRow("baud 115200") << SetBaudRate(115200) << Hex("FF FA 2C 01 00 01 C2 00 FF F0");
        QTest::newRow("baud with FF") << SetBaudRate(0xFF00FF) << Hex("FF FA 2C 01 00 FF FF 00 FF FF FF F0");
        QTest::newRow("data size") << SetDataSize(8) << Hex("FF FA 2C 02 08 FF F0");
        QTest::newRow("parity") << SetParity(3) << Hex("FF FA 2C 03 03 FF F0");
        QTest::newRow("stop size") << SetStopSize(3) << Hex("FF FA 2C 04 03 FF F0");
        QTest::newRow("control") << SetControl(1) << Hex("FF FA 2C 05 01 FF F0");
        QTest::newRow("line state mask") << SetLineStateMask(0) << Hex("FF FA 2C 0A 00 FF F0");
        QTest::newRow("modem state mask") << SetModemStateMask(0xFF) << Hex("FF FA 2C 0B FF FF FF F0");
        QTest::newRow("purge") << PurgeData(3) << Hex("FF FA 2C 0C 03 FF F0");
        QByteArray settings;
        for (const LineSettingRequest& setting : SettingsFor19200_8N1())
            settings += setting.Bytes();
        QTest::newRow("19200 8N1")
            << settings
            << Hex("FF FA 2C 01 00 00 4B 00 FF F0 FF FA 2C 02 08 FF F0 FF FA 2C 03 01 FF F0"
                   "FF FA 2C 04 01 FF F0 FF FA 2C 05 01 FF F0");
    }
    void comPortRequests() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, bytes);
        QCOMPARE(request.toHex(' '), bytes.toHex(' '));
    }

    void comPortReplies_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("isReply");
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<uint>("baud");
        QTest::newRow("baud") << Hex("FF FA 2C 65 00 00 4B 00 FF F0") << true << 1 << Hex("00 00 4B 00")
                              << 19200u;
        QTest::newRow("baud all FF") << Hex("FF FA 2C 65 FF FF FF FF FF FF FF FF FF F0") << true << 1
                                     << Hex("FF FF FF FF") << 0xFFFFFFFFu;
        QTest::newRow("baud too short") << Hex("FF FA 2C 65 4B 00 FF F0") << true << 1 << Hex("4B 00") << 0u;
        QTest::newRow("signature") << Hex("FF FA 2C 64 41 FF F0") << true << 0 << Hex("41") << 0u;
        QTest::newRow("line state") << Hex("FF FA 2C 6A 60 FF F0") << true << 6 << Hex("60") << 0u;
        QTest::newRow("purge") << Hex("FF FA 2C 70 03 FF F0") << true << 12 << Hex("03") << 0u;
        QTest::newRow("code 113") << Hex("FF FA 2C 71 03 FF F0") << false << 0 << QByteArray() << 0u;
        QTest::newRow("code 99") << Hex("FF FA 2C 63 03 FF F0") << false << 0 << QByteArray() << 0u;
        QTest::newRow("client code") << Hex("FF FA 2C 01 00 00 4B 00 FF F0") << false << 0 << QByteArray()
                                     << 0u;
        QTest::newRow("no code") << Hex("FF FA 2C FF F0") << false << 0 << QByteArray() << 0u;
        QTest::newRow("other option")
            << Hex("FF FA 18 65 00 00 4B 00 FF F0") << false << 0 << QByteArray() << 0u;
        QTest::newRow("negotiation") << Hex("FF FB 2C") << false << 0 << QByteArray() << 0u;
    }
    void comPortReplies() {
        QFETCH(QByteArray, stream);
        QFETCH(bool, isReply);
        QFETCH(QByteArray, value);
        const std::vector<TelnetEvent> events = EventsOf(stream);
        QCOMPARE(events.size(), 1u);
        const std::optional<ComPortReply> reply = ParseComPortReply(events.front());
        QCOMPARE(reply.has_value(), isReply);
        if (!reply) return;
        QTEST(int(reply->command), "command");
        QCOMPARE(reply->value, value);
        QTEST(BaudRateOf(reply->value), "baud");
    }
};

QTEST_GUILESS_MAIN(TestTelnet)
#include "tst_telnet.moc"
