#include "wizard/link_opener.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {

// Results in the shell's numbering, so the error table applies unchanged.
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
// xdg-open's own exit codes.
constexpr int kOpenerFileMissing = 2;
constexpr int kOpenerNoTool = 3;
// A crashed opener has no exit status of its own; 4 is xdg-open's
// "the action failed".
constexpr int kOpenerCrashed = 4;
// Long enough for xdg-open to hand over to a running browser or file
// manager and report a failure; a program that stays longer has started.
constexpr int kDefaultWaitMs = 2000;
// Starting a local script takes milliseconds; this only guards a stuck fork.
constexpr int kStartTimeoutMs = 5000;

LinkOpener& TestOpener()
{
    static LinkOpener opener;
    return opener;
}

int& WaitMs()
{
    static int wait = kDefaultWaitMs;
    return wait;
}

// The local path a target names, or empty for web and mail links.
QString LocalPath(const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target;
    const QUrl url(target);
    if (url.isLocalFile())
        return url.toLocalFile();
    return QString();
}

int ResultOfExit(int exitCode)
{
    switch (exitCode) {
    case 0: return kLinkOpened;
    case kOpenerFileMissing: return kFileNotFound;
    case kOpenerNoTool: return kNoAssociation;
    default: return exitCode;
    }
}

// Waits for the opener while the windows keep painting; user input waits
// too, so a second click cannot start a second opening meanwhile.
bool WaitForExit(QProcess* process, int milliseconds)
{
    if (process->state() == QProcess::NotRunning)
        return true;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    timeout.start(milliseconds);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return process->state() == QProcess::NotRunning;
}

int RunDesktopOpener(const QString& target)
{
    const QString local = LocalPath(target);
    if (!local.isEmpty() && !QFileInfo::exists(local))
        return kFileNotFound;

    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return kNoAssociation;

    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(program);
    process->setArguments({target});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);

    process->start();
    if (!process->waitForStarted(kStartTimeoutMs)) {
        delete process;
        return kNoAssociation;
    }
    if (!WaitForExit(process, WaitMs())) {
        // Still running (a new browser window): the link is open. The
        // process object stays until the opener ends, so it is reaped and
        // no zombie is left; "finished" only arrives from the event loop,
        // after this connection exists.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return kLinkOpened;
    }
    const int result = process->exitStatus() == QProcess::CrashExit
                           ? kOpenerCrashed
                           : ResultOfExit(process->exitCode());
    process->deleteLater();
    return result;
}

} // namespace

int OpenLink(const QString& target)
{
    if (TestOpener())
        return TestOpener()(target);
    return RunDesktopOpener(target);
}

void SetLinkOpenerForTesting(LinkOpener opener) { TestOpener() = std::move(opener); }

void SetLinkWaitForTesting(int milliseconds)
{
    WaitMs() = milliseconds < 0 ? kDefaultWaitMs : milliseconds;
}

QString LinkErrorText(int result)
{
    switch (result) {
    case 0: return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("The specified path was not found.");
    case 5: return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8: return QStringLiteral("There was not enough memory to complete the operation.");
    case 11: return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26: return QStringLiteral("A sharing violation occurred. ");
    case 27: return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29: return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                              "transactions\nwere being processed.");
    case 31: return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32: return QStringLiteral("The specified dynamic-link library was not found.");
    default: return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
    }
}
