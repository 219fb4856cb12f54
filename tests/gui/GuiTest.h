#pragma once
// Registration of the window test classes and helpers for modal dialogs.

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

std::vector<std::function<int(int, char**)>>& GuiTestClasses();

#define MV_GUI_TEST(Class)                                                                                   \
    static const bool Class##Registered = [] {                                                               \
        GuiTestClasses().push_back([](int argc, char** argv) {                                               \
            Class test;                                                                                      \
            return QTest::qExec(&test, argc, argv);                                                          \
        });                                                                                                  \
        return true;                                                                                         \
    }()

namespace mv::test {

// The handlers still waiting for a modal dialog.
inline std::vector<QPointer<QTimer>>& PendingModalHandlers() {
    static std::vector<QPointer<QTimer>> pending;
    return pending;
}

// Runs action on the next modal dialog as soon as it is shown (from the
// dialog's own event loop). A handler that sees no dialog within ten
// seconds gives up, so that a missing dialog fails the test instead of
// answering one of a later test.
inline void OnNextModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, action, notThis, started] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == notThis || !modal->isVisible()) {
            if (started->elapsed() > 10000) timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        action(modal);
        // A dialog the handler did not close would block the test.
        if (modal->isVisible() && QApplication::activeModalWidget() == modal) modal->close();
    });
    PendingModalHandlers().push_back(timer);
    timer->start();
}

inline void CancelModalHandlers() {
    for (const QPointer<QTimer>& timer : PendingModalHandlers())
        delete timer.data();
    PendingModalHandlers().clear();
}

} // namespace mv::test
