#include <QApplication>
#include <gtest/gtest.h>

namespace testenv {
void installListener();
}

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testenv::installListener();
    return RUN_ALL_TESTS();
}
