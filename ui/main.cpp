// Kestrova's start: the window, and nothing before it but the checks that
// let it be shown and closed cleanly.
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "ui/display_check.h"
#include "ui/kestrova_window.h"

namespace {

int terminationPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    (void)!::write(terminationPipe[1], &byte, 1);
}

// SIGTERM, which a desktop sends when the session ends, SIGHUP (the terminal
// or session gone) and SIGINT close the window as its close button does, so
// the inputs are saved; nobody is asked anything then. SIGKILL saves nothing.
void CloseWindowsOnTerminate(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0) return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        (void)!::read(terminationPipe[0], &byte, 1);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<kestrova::Kestrova*>(widget)) window->CloseUnattended();
        QApplication::closeAllWindows();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int, char** argv) {
    if (const auto problem = kestrova::ChooseDisplay()) {
        std::fprintf(stderr, "kestrova: %s\n", problem->c_str());
        return 1;
    }
    // The program reads no command line: Qt gets only the program's name.
    int argc = 1;
    char* args[] = {argv[0], nullptr};
    QApplication app(argc, args);
    QApplication::setApplicationName(QStringLiteral("Kestrova"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrova.Kestrova"));
    CloseWindowsOnTerminate(app);

    kestrova::Kestrova window;
    int status = 0;
    // A signal during the load (while its failure was shown) has closed it.
    if (!window.Unloaded()) {
        window.show();
        status = QApplication::exec();
    }
    return window.SaveFailed() ? 1 : status;
}
