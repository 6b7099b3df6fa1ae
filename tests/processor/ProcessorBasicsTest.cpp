#include "processor/VaskelQuorlinProcessor.h"

#include <gtest/gtest.h>

TEST (ProcessorBasics, ReportsItsName)
{
    VaskelQuorlinProcessor processor;
    EXPECT_EQ (processor.getName(), "Tessarwood Quorlin");
    EXPECT_EQ (processor.getParameters().size(), 27);
}
