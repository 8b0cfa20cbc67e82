// Test entry for the core: a QCoreApplication so that Qt's text and file classes work.
#include "core/engine/Libraries.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    engine::initLibraries();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
