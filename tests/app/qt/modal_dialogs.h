#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QScopedValueRollback>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace wobbet::testing {

// Handles the modal dialogs a step opens, from inside their own event loops: each expected
// dialog is passed to its handler, which must close it; any other modal box fails the test and
// is closed, so nothing waits for a user. Expected dialogs are taken in the order given.
class ModalDialogs {
public:
    ModalDialogs() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    template <class Dialog>
    void Expect(std::function<void(Dialog*)> handle) {
        expected_.push_back([handle](QWidget* modal) {
            auto* dialog = qobject_cast<Dialog*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            handle(dialog);
            return true;
        });
    }

    // How many expected dialogs have not opened yet.
    std::size_t Pending() const { return expected_.size() - handled_; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || waiting_) {
            return;
        }
        // Typing and focus checks need the box active, which can lag behind its showing. The wait
        // runs events, this timer's included, which must not take the same box again.
        {
            const QScopedValueRollback waiting(waiting_, true);
            EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        }
        if (handled_ < expected_.size() && expected_[handled_](modal)) {
            ++handled_;
            return;
        }
        ADD_FAILURE() << "unexpected modal window: " << modal->metaObject()->className() << " "
                      << modal->windowTitle().toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    QTimer timer_;
    std::vector<std::function<bool(QWidget*)>> expected_;
    std::size_t handled_ = 0;
    bool waiting_ = false;
};

}  // namespace wobbet::testing
