// The calculator's one window: the panel's fourteen text boxes, their
// captions and the Calculate button, and the three handlers that tie them to
// the calculation and the settings file.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <mutex>

#include "core/calc_panel.h"

class QCloseEvent;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestrova {

class WindowPanel;

class Kestrova final : public QWidget {
public:
    // Shows a failure to the user. The default is a modal message box; tests
    // pass their own.
    using Reporter = std::function<void(QWidget* window, const QString& message)>;

    // Builds the window and loads the settings (Form_Load), before it is
    // first shown.
    explicit Kestrova(Reporter report = {});
    ~Kestrova() override;

    CalcPanel& Panel();

    // Closes the window with nobody there to answer a message: the end of
    // the desktop session, or a signal. An open message is dismissed, and a
    // failure to save goes to standard error as one line instead.
    void CloseUnattended();
    // Saves the inputs as a close does, when the display has gone and the
    // process is about to end without one; says so on standard error. Safe
    // to call on two threads at once: the second returns once the first
    // has saved, since Qt ends the process when either returns.
    void SaveAfterLostDisplay();
    // Whether the window has unloaded (its inputs saved or the save failed).
    bool Unloaded() const { return unloaded_; }
    // Whether the save at unload failed.
    bool SaveFailed() const { return saveFailed_; }

    // The standard reporter: a modal warning box.
    static void ShowMessageBox(QWidget* window, const QString& message);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();
    void Form_Load();
    void Calculate_Click();
    void Form_Unload();

    Reporter report_;
    std::array<QLineEdit*, kFieldCount> boxes_{};
    QPlainTextEdit* results_ = nullptr;
    QPushButton* calculate_ = nullptr;
    std::unique_ptr<WindowPanel> panel_;
    bool unloaded_ = false;
    bool unattended_ = false;
    std::mutex lostDisplay_;
    bool saveFailed_ = false;
};

}  // namespace kestrova
