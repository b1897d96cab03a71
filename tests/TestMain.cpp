// The entry of every test program: the program's start-up steps that tests
// rely on, then the tests.
#include <gtest/gtest.h>

#include "model/storage/NetFile.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qz::InstallNetFileLoader();
    return RUN_ALL_TESTS();
}
