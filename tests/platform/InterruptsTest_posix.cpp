#include <gtest/gtest.h>

#include <csignal>
#include <iostream>

#include "platform/Interrupts.h"

namespace rq {
namespace {

TEST(InterruptsTest, TheFirstSignalIsKeptAndEndsNothing) {
    catchInterrupts();
    EXPECT_EQ(interruptStatus(), 0);
    std::raise(SIGHUP);
    EXPECT_EQ(interruptStatus(), 129);
    std::string line;
    EXPECT_FALSE(std::getline(std::cin, line)) << "standard input has ended";
}

}  // namespace
}  // namespace rq
