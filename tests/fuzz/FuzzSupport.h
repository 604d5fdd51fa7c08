#pragma once

#include "Platform/Foundation/Console.h"

// The state a fuzz target keeps across inputs: made on the first input, with printed lines dropped.
template <typename World>
World& fuzzWorld()
{
    static World& instance = []() -> World& {
        Foundation::Console::setSink([](Foundation::Console::Stream, std::string_view) {});
        static World made;
        return made;
    }();
    return instance;
}
