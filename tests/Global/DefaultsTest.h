#pragma once

#include "Platform/Foundation/UserDefaults.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

// A fresh, empty standard suite under a temporary root for each test.
class DefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<Foundation::UserDefaults>(); }
    void TearDown() override { TestAccess::resetForTesting<Foundation::UserDefaults>(); }

    TempRoot root;
};
