// Kestrova's start: the window, and nothing before it but the checks that
// let it be shown and closed cleanly.
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>

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

// The one window, for what Qt reports from deep inside.
kestrova::Kestrova* theWindow = nullptr;
QtMessageHandler qtHandler = nullptr;

// Qt ends the process itself, right after a warning, when the connection to
// the display breaks (the X server or the compositor died, an ssh -X session
// dropped): the inputs on the screen are saved first, as a close saves them.
// On Wayland the warning may come on Qt's event thread, and on the main
// thread at the same time.
// A platform that cannot start at all is one line and exit 1, not an abort
// with the advice to reinstall.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("The X11 connection broke")) ||
        message.startsWith(QLatin1String("The Wayland connection"))) {
        if (theWindow != nullptr) theWindow->SaveAfterLostDisplay();
        return;
    }
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        std::fputs(
            "kestrova: Qt could not connect to the display (the server refused the connection or "
            "went away)\n",
            stderr);
        std::_Exit(1);
    }
    if (qtHandler != nullptr) {
        qtHandler(type, context, message);
        return;
    }
    // Qt's own handler, as it would have printed.
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    if (type == QtFatalMsg) std::abort();
}

// A window destroyed from outside (XDestroyWindow, as some window managers
// and xkill-like tools do) closes the program as a close does, saving;
// Qt alone would go on running with no window. A message box destroyed so
// is answered as if closed, and the window goes on: Qt alone would wait for
// it for ever, with the window taking no keys and no close.
class DestroyedWindowWatch final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (theWindow == nullptr || type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) return false;
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (destroyed->window == static_cast<xcb_window_t>(theWindow->winId())) {
            QTimer::singleShot(0, theWindow, [] { theWindow->CloseUnattended(); });
            return false;
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            if (dialog != nullptr && dialog->internalWinId() == destroyed->window)
                QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        }
        return false;
    }
};

}  // namespace

int main(int, char** argv) {
    qtHandler = qInstallMessageHandler(OnQtMessage);
    kestrova::HeldConnection held;
    if (const auto problem = kestrova::ChooseDisplay(held)) {
        std::fprintf(stderr, "kestrova: %s\n", problem->c_str());
        return 1;
    }
    // The program reads no command line: Qt gets only the program's name.
    int argc = 1;
    char* args[] = {argv[0], nullptr};
    QApplication app(argc, args);
    held.Release();  // Qt has its own connection now
    DestroyedWindowWatch destroyedWindowWatch;
    app.installNativeEventFilter(&destroyedWindowWatch);
    QApplication::setApplicationName(QStringLiteral("Kestrova"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrova.Kestrova"));
    CloseWindowsOnTerminate(app);

    kestrova::Kestrova window;
    theWindow = &window;
    int status = 0;
    // A signal during the load (while its failure was shown) has closed it.
    if (!window.Unloaded()) {
        window.show();
        status = QApplication::exec();
    }
    theWindow = nullptr;
    return window.SaveFailed() ? 1 : status;
}
