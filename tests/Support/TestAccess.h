#pragma once

#include <utility>

// The one way tests reach the hooks that production classes keep private (each befriends this type).
struct TestAccess {
    template <class T, class... Args>
    static void resetForTesting(Args&&... args)
    {
        T::resetForTesting(std::forward<Args>(args)...);
    }
    // An object's own reset.
    template <class T>
    static void resetForTesting(T& object)
    {
        object.resetForTesting();
    }
    template <class T, class... Args>
    static void setApplicationActiveForTesting(Args&&... args)
    {
        T::setApplicationActiveForTesting(std::forward<Args>(args)...);
    }
    template <class T, class... Args>
    static void setMouseLocationForTesting(Args&&... args)
    {
        T::setMouseLocationForTesting(std::forward<Args>(args)...);
    }
    template <class T, class... Args>
    static void setUserNamesForTesting(Args&&... args)
    {
        T::setUserNamesForTesting(std::forward<Args>(args)...);
    }
    template <class T, class... Args>
    static void setControllerFactoryForTesting(Args&&... args)
    {
        T::setControllerFactoryForTesting(std::forward<Args>(args)...);
    }
};
