#pragma once
// Registration of the window test classes and helpers for modal dialogs.

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
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

// Runs action on the next modal dialog as soon as it is shown (from the
// dialog's own event loop).
inline void OnNextModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action, notThis] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == notThis || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

} // namespace mv::test
