// Runs every test class of the window tests in one program.

#include <QApplication>
#include <QTest>

#include <functional>
#include <vector>

std::vector<std::function<int(int, char**)>>& GuiTestClasses() {
    static std::vector<std::function<int(int, char**)>> classes;
    return classes;
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    int failures = 0;
    for (const auto& run : GuiTestClasses())
        failures += run(argc, argv);
    return failures == 0 ? 0 : 1;
}
