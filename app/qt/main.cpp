#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cstdio>

#include "agent/desktop/desktop_agent_server.h"
#include "app/posix/stop_signals.h"
#include "app/qt/main_window.h"
#include "app/qt/program_icon.h"
#include "app/qt/single_instance.h"
#include "storage/file_system.h"
#include "storage/program_dir.h"

namespace {

// How long a later start keeps trying to reach the running copy before it gives up quietly.
constexpr int kActivationTimeoutMilliseconds = 2000;

}  // namespace

int main(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Holds a conversation with you, speaks its replies through its character and learns "
        "from what you say."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption knowledgeOption(
        QStringLiteral("knowledge"),
        QStringLiteral("Read and write FILE instead of the usual Wobbet.dat."),
        QStringLiteral("FILE"));
    parser.addOption(knowledgeOption);
    // Help and version need no display, so they are answered before the window system starts.
    // A command line that also holds the window system's own options is read after it.
    const auto helpOrVersionAsked = [&] {
        return parser.isSet(helpOption) || parser.isSet(versionOption);
    };
    const auto printHelpOrVersion = [&] {
        if (parser.isSet(helpOption)) {
            std::fputs(qPrintable(parser.helpText()), stdout);
        } else {
            std::printf("wobbet %s\n", WOBBET_VERSION);
        }
    };
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (parser.parse(arguments) && helpOrVersionAsked()) {
        // The help names the program as started, which Qt takes from an application object.
        const QCoreApplication withoutDisplay(argc, argv);
        printHelpOrVersion();
        return 0;
    }

    // Before any thread starts, so that every thread holds the signals back and the window's
    // own loop receives them: a logout without a session manager, kill and Ctrl+C then close the
    // window the ordinary way, saving what was learned.
    const wobbet::StopSignals stopSignals;

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("wobbet"));
    QApplication::setWindowIcon(wobbet::ProgramIcon());
    // The window ends the program, not the last window: the character has a window of its own.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!parser.parse(QApplication::arguments()) || !parser.positionalArguments().isEmpty() ||
        (parser.isSet(knowledgeOption) && parser.value(knowledgeOption).isEmpty())) {
        const QString error = parser.errorText().isEmpty() ? QStringLiteral("unexpected arguments")
                                                           : parser.errorText();
        std::fprintf(stderr, "wobbet: %s\n%s", qPrintable(error), qPrintable(parser.helpText()));
        return 2;
    }
    if (helpOrVersionAsked()) {
        printHelpOrVersion();
        return 0;
    }
    const std::string knowledgePath = parser.isSet(knowledgeOption)
                                          ? parser.value(knowledgeOption).toStdString()
                                          : wobbet::DefaultKnowledgePath();

    wobbet::SingleInstance instance(
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
        QString::fromStdString(wobbet::NativeFileSystem().FinalTarget(knowledgePath)));
    if (!instance.Claim()) {
        instance.ActivateRunningCopy(kActivationTimeoutMilliseconds);
        return 0;
    }

    wobbet::desktop::DesktopAgentServer characterServer;
    wobbet::MainWindow window(characterServer, knowledgePath);
    QObject::connect(&instance, &wobbet::SingleInstance::ActivationRequested, &window,
                     &wobbet::MainWindow::BringToFront);
    QObject::connect(&window, &wobbet::MainWindow::Closed, &application, &QApplication::quit);
    // The session ends: keep what was learned and go, as when the user closes the window.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.reject(); });
    if (stopSignals.Descriptor() >= 0) {
        auto* stopNotifier =
            new QSocketNotifier(stopSignals.Descriptor(), QSocketNotifier::Read, &window);
        QObject::connect(stopNotifier, &QSocketNotifier::activated, &window,
                         [&window, &stopSignals, stopNotifier] {
                             signalfd_siginfo received{};
                             if (read(stopSignals.Descriptor(), &received, sizeof received) < 0) {
                                 return;
                             }
                             stopNotifier->setEnabled(false);
                             window.reject();
                         });
    }

    // Another program keeps this knowledge file: it was said, and nothing was changed.
    if (!window.Initialize(wobbet::ProgramCore::ClockSeed())) {
        return 1;
    }
    // A signal that came while a message box was open during start-up has closed the window.
    if (window.Core().HasShutDown()) {
        return 0;
    }
    window.ShowCentred();
    return QApplication::exec();
}
