#include <QApplication>
#include <QStandardPaths>

#include "agent/desktop/desktop_agent_server.h"
#include "app/qt/main_window.h"
#include "app/qt/program_icon.h"
#include "app/qt/single_instance.h"
#include "storage/program_dir.h"

namespace {

// How long a later start keeps trying to reach the running copy before it gives up quietly.
constexpr int kActivationTimeoutMilliseconds = 2000;

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("wobbet"));
    QApplication::setWindowIcon(wobbet::ProgramIcon());
    // The window ends the program, not the last window: the character has a window of its own.
    QApplication::setQuitOnLastWindowClosed(false);

    wobbet::SingleInstance instance(
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (!instance.Claim()) {
        instance.ActivateRunningCopy(kActivationTimeoutMilliseconds);
        return 0;
    }

    wobbet::desktop::DesktopAgentServer characterServer;
    wobbet::MainWindow window(characterServer, wobbet::DefaultKnowledgePath());
    QObject::connect(&instance, &wobbet::SingleInstance::ActivationRequested, &window,
                     &wobbet::MainWindow::BringToFront);
    QObject::connect(&window, &wobbet::MainWindow::Closed, &application, &QApplication::quit);
    window.Initialize(wobbet::ProgramCore::ClockSeed());
    window.ShowCentred();
    return QApplication::exec();
}
