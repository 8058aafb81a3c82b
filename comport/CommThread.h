// SPDX-License-Identifier: MIT
// The receive thread of the serial port component: it owns the port descriptor, waits for port events
// and hands each one to the owning thread, where all reading takes place.
#pragma once

#include "comport/ComPort.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zeph::comport {

class TCommThread : public std::enable_shared_from_this<TCommThread> {
public:
    using DataHandler = std::function<void(int count)>;
    using StatusHandler = std::function<void(quint32 mask, quint32 status)>;

    // Opens the port for exclusive use; IsOpen tells whether that worked. With checkHolders, a port that
    // another program holds (also without a lock) is refused before it is opened; without, the holders
    // are looked for only when the open fails.
    TCommThread(const QString& port, bool checkHolders);
    ~TCommThread();
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // Why the port could not be opened: the system's text, or who holds it.
    QString ErrorText() const;

    void SetParams(int baud, int dataBits, TParity parity, TStopBit stopBits);
    void PurgeAndDropLines();
    void SetHandlers(DataHandler data, StatusHandler status);
    void Unhook();

    // Starts the waiting thread. Dispatch runs as queued calls on dispatchContext's thread (the owner's);
    // the object must be held by a shared_ptr.
    void Start(QObject* dispatchContext);
    // Ends the waiting thread and releases the port; safe from inside a handler.
    void Stop();

    // Runs on the owning thread for each event handed over.
    void Dispatch();

    // A hint: this many characters are due by deadlineNs on the monotonic clock (an answer). Until they
    // have all come, the line has fallen quiet after some of them, or the deadline has passed, the thread
    // hands nothing over: the kernel does the waiting, not one wake-up per character.
    void Expect(int characters, long long deadlineNs);

    int Read(char* buffer, int count);
    void Write(const QByteArray& data);
    void SetDTR(bool on);
    void SetRTS(bool on);

private:
    void Execute();
    // Waits until no more characters come in (or the hold limit); false when woken for another reason.
    bool WaitForQuietLine();
    // Waits, as few times as it can, until the expected characters have come, the line has fallen quiet or
    // the deadline has passed; false when woken for another reason.
    bool WaitForExpected(int expected, long long deadlineNs);
    // Sleeps on the wake-up descriptor alone; false when woken (stopping, or characters to write).
    bool Sleep(long long ns);
    void HandOver(quint32 mask, quint32 status);
    void WakeThread();
    void FlushPendingOutput();
    void ReleasePort();

    int m_fd = -1;
    QString m_errorText;
    int m_wakeFd = -1;
    QObject* m_dispatchContext = nullptr;
    std::thread m_thread;
    std::atomic<long long> m_quietNs{1'000'000};

    DataHandler m_dataHandler;
    StatusHandler m_statusHandler;

    // Guarded by m_mutex: the hand-over between the two threads.
    mutable std::mutex m_mutex;
    std::condition_variable m_handOverDone;
    bool m_stopping = false;
    bool m_dispatchPending = false;
    quint32 m_eventMask = 0;
    quint32 m_modemStatus = 0;
    // The characters still expected and by when; 0 when nothing is expected.
    int m_expected = 0;
    long long m_expectedByNs = 0;
    long long m_characterNs = 520'833;

    // Guarded by m_outputMutex: characters the driver could not take yet, written when it has room.
    std::mutex m_outputMutex;
    QByteArray m_pendingOutput;
};

} // namespace zeph::comport
