#pragma once
// Only one copy of the wizard runs per user. The first copy holds a lock
// file and answers probes on a local socket; a later copy finds the lock,
// asks the first copy to come to the front, and ends.
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

class QLocalServer;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the lock and the socket (the product key and the user).
    explicit CSingleInstance(const QString& key);
    ~CSingleInstance() override;

    // True when this process is the first copy; it then answers probes by
    // calling `onProbe`.
    bool Claim(std::function<void()> onProbe);

    // A later copy: asks the running one to come forward. True when it
    // answered within the probe time.
    bool ProbeRunningCopy();

    static QString DefaultKey();

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    std::function<void()> onProbe_;
};

// The probe message and the running copy's answer.
inline constexpr char kInstanceProbe[] = "COMMDLG_FIND";
// How long a later copy waits for the running one's answer.
constexpr int kProbeTimeoutMs = 200;
