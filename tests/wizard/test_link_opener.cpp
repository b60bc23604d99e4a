// The link opener runs the desktop's opener (xdg-open, found on PATH); these
// tests put a scripted stand-in on PATH that records its argument and ends
// with a chosen exit status.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "scoped_env.h"
#include "wizard/link_opener.h"

namespace {

class LinkOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bin_.isValid());
        SetLinkOpenerForTesting({});
    }
    void TearDown() override { SetLinkWaitForTesting(-1); }

    // A stand-in opener that appends its argument to a log and runs `body`.
    void InstallOpener(const QString& body)
    {
        const QString path = bin_.filePath(QStringLiteral("xdg-open"));
        QFile script(path);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s\\n' \"$1\" >> '%1'\n%2\n")
                         .arg(LogPath(), body)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QString LogPath() const { return bin_.filePath(QStringLiteral("calls.log")); }
    QStringList Calls() const
    {
        QFile log(LogPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    int OpenersAlive() const
    {
        // Finished openers are deleted from the event loop; let it do so now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return QCoreApplication::instance()->findChildren<QProcess*>().size(); }

    QTemporaryDir bin_;
    CScopedEnv path_{"PATH", qPrintable(bin_.path())};
};

TEST_F(LinkOpenerTest, ExitStatusesMapOntoShellResults)
{
    const struct {
        int exitStatus;
        int result;
    } cases[] = {{0, kLinkOpened}, {2, 2}, {3, 31}, {4, 4}, {1, 1}};
    for (const auto& c : cases) {
        InstallOpener(QStringLiteral("exit %1").arg(c.exitStatus));
        EXPECT_EQ(OpenLink(QStringLiteral("https://example.org/")), c.result) << "exit " << c.exitStatus;
    }
    EXPECT_EQ(Calls().size(), 5);
    EXPECT_EQ(Calls().front(), QStringLiteral("https://example.org/"));
}

TEST_F(LinkOpenerTest, TargetReachesOpenerAsOneArgumentWithoutShell)
{
    InstallOpener(QStringLiteral("exit 0"));
    const QString target = QStringLiteral("mailto:support@example.org?subject=a b;$(true)");
    EXPECT_EQ(OpenLink(target), kLinkOpened);
    EXPECT_EQ(Calls(), QStringList{target});
}

TEST_F(LinkOpenerTest, MissingOpenerMeansNoApplication)
{
    EXPECT_EQ(OpenLink(QStringLiteral("https://example.org/")), 31);
}

TEST_F(LinkOpenerTest, MissingLocalTargetIsFileNotFoundWithoutRunningOpener)
{
    InstallOpener(QStringLiteral("exit 0"));
    const QString missing = bin_.filePath(QStringLiteral("no such folder"));
    EXPECT_EQ(OpenLink(missing), 2);
    EXPECT_EQ(OpenLink(QUrl::fromLocalFile(missing).toString()), 2);
    EXPECT_TRUE(Calls().isEmpty());

    EXPECT_EQ(OpenLink(bin_.path()), kLinkOpened);
    EXPECT_EQ(Calls(), QStringList{bin_.path()});
}

TEST_F(LinkOpenerTest, OpenerStillRunningCountsAsOpenedAndIsReapedLater)
{
    constexpr int kShortWaitMs = 50;      // far below the opener's run time
    constexpr int kReapDeadlineMs = 5000; // the opener sleeps well under this
    SetLinkWaitForTesting(kShortWaitMs);
    InstallOpener(QStringLiteral("sleep 0.2\nexit 4"));
    const int aliveBefore = OpenersAlive();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(OpenLink(QStringLiteral("https://example.org/")), kLinkOpened);
    EXPECT_LT(clock.elapsed(), 180);
    EXPECT_EQ(OpenersAlive(), aliveBefore + 1);
    // Once it ends, the process object goes away on its own.
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenersAlive() == aliveBefore; }, kReapDeadlineMs));
}

TEST_F(LinkOpenerTest, TestOpenerReplacesDesktop)
{
    QStringList seen;
    SetLinkOpenerForTesting([&](const QString& target) {
        seen << target;
        return 40;
    });
    EXPECT_EQ(OpenLink(QStringLiteral("x")), 40);
    SetLinkOpenerForTesting({});
    EXPECT_EQ(seen, QStringList{QStringLiteral("x")});
    EXPECT_EQ(OpenLink(QStringLiteral("https://example.org/")), 31); // no opener on PATH
}

TEST(LinkErrorTextTest, KnownResultsAndUnknownOnes)
{
    EXPECT_EQ(LinkErrorText(31),
              QStringLiteral("There is no application associated\nwith the given filename extension."));
    EXPECT_EQ(LinkErrorText(26), QStringLiteral("A sharing violation occurred. "));
    EXPECT_EQ(LinkErrorText(0), QStringLiteral("The operating system is out\nof memory or resources."));
    EXPECT_EQ(LinkErrorText(2), QStringLiteral("The specified file was not found."));
    EXPECT_EQ(LinkErrorText(30), QStringLiteral("The DDE transaction could not\nbe completed because other "
                                                "DDE transactions\nwere being processed."));
    EXPECT_EQ(LinkErrorText(32), QStringLiteral("The specified dynamic-link library was not found."));
    EXPECT_EQ(LinkErrorText(40), QStringLiteral("Unknown Error (40) occurred."));
    EXPECT_EQ(LinkErrorText(1), QStringLiteral("Unknown Error (1) occurred."));
    EXPECT_EQ(LinkErrorText(-5), QStringLiteral("Unknown Error (-5) occurred."));
}

} // namespace
