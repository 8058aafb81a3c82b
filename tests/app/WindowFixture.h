// SPDX-License-Identifier: MIT
// What the window tests share: a window that probes no real port and keeps its INI file in a temporary
// folder, dialogs answered by the test, and the simulated device on a pseudo-terminal.
#pragma once

#include "app/SettingsPageControls.h"
#include "app/TForm_Main.h"
#include "app/UserDialogs.h"
#include "device/OperationMachine.h"
#include "session/DeviceSession.h"
#include "sim/SimulatedDevice.h"

#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace zeph::test {

// Records every box in order and answers the file and network port dialogs with what the test queued.
class RecordingDialogs : public app::UserDialogs {
public:
    struct Shown {
        app::MessageKind kind;
        QString text;
    };
    QList<Shown> messages;
    QStringList saveAnswers;
    QStringList openAnswers;
    QList<app::FileDialogRequest> saveRequests;
    QList<app::FileDialogRequest> openRequests;
    QStringList networkPortAnswers; // what the network port dialog gives back; empty: cancelled
    QStringList openedDocuments;
    // Called while a box is "open", so a test can look at the window at that moment.
    std::function<void(const Shown&)> onMessage;

    void ShowMessage(app::MessageKind kind, const QString& text) override {
        messages.append({kind, text});
        if (onMessage) onMessage(messages.last());
    }
    QString GetSaveFileName(const app::FileDialogRequest& request) override {
        saveRequests.append(request);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString GetOpenFileName(const app::FileDialogRequest& request) override {
        openRequests.append(request);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString GetNetworkPort() override {
        return networkPortAnswers.isEmpty() ? QString() : networkPortAnswers.takeFirst();
    }
    void OpenDocument(const QString& path) override { openedDocuments << path; }
    QStringList Texts() const {
        QStringList texts;
        for (const Shown& shown : messages)
            texts << shown.text;
        return texts;
    }
};

// A control of the window by its object name, the way a user finds it on screen; a missing control is
// a fault of the test or the window, so it stops the test program at once.
template <typename T = QWidget> T* Control(const QObject* root, const QString& name) {
    T* control = root->findChild<T*>(name);
    if (!control) qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return control;
}

// The device session beneath a window.
inline session::DeviceSession& SessionOf(const QObject* form) {
    return *Control<session::DeviceSession>(form, QStringLiteral("DeviceSession"));
}

// Start options that keep a test away from the machine's real serial ports and INI file.
inline app::StartOptions IsolatedOptions(const QTemporaryDir& dir, const QStringList& ports = {}) {
    app::StartOptions options;
    options.ports = ports;
    options.iniPath = dir.filePath(QStringLiteral("zeph7208-configurator.ini"));
    options.sysfsRoot = dir.filePath(QStringLiteral("no-sysfs"));
    options.devRoot = dir.filePath(QStringLiteral("no-dev"));
    return options;
}

// A window talking to a simulated device: the device's port is listed and selected; Open() opens it.
struct SimulatedBench {
    QTemporaryDir dir;
    std::unique_ptr<sim::SimulatedDevice> device;
    std::unique_ptr<app::TForm_Main> form;
    RecordingDialogs dialogs;

    explicit SimulatedBench(sim::LineOptions line = {}) {
        device = std::make_unique<sim::SimulatedDevice>(line);
        QString error;
        if (!device->Start(&error)) qFatal("simulated device: %s", qPrintable(error));
        form = std::make_unique<app::TForm_Main>(IsolatedOptions(dir, {device->PortPath()}));
        form->SetDialogs(&dialogs);
    }
    ~SimulatedBench() {
        form.reset();
        device.reset();
    }
    bool Open() {
        Button("Button_Megnyitas")->click();
        return Session().PortIsOpen();
    }
    template <typename F> auto Model(F f) { return device->WithModel(f); }

    template <typename T = QWidget> T* W(const QString& name) const { return Control<T>(form.get(), name); }
    QPushButton* Button(const QString& name) const { return W<QPushButton>(name); }
    session::DeviceSession& Session() const { return SessionOf(form.get()); }
    // Idle: no operation waiting and no first-initialization job under way.
    bool Idle() const { return Session().IsQuiet(); }
    device::SettingsPageState Page() const { return app::ReadSettingsPage(form.get()); }
    void SetPage(const device::SettingsPageState& page) { app::ShowSettingsPage(form.get(), page); }
};

} // namespace zeph::test
